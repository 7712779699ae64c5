#include "login/DialogLook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

#include "uikit/ImageButton.h"
#include "uikit/Scale.h"

namespace orvane {

QLabel* MakeTextLine(QWidget* parent, const QString& text, const QColor& color, const QFont& font,
                     Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setAlignment(alignment);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setStyleSheet(QStringLiteral("QLabel { color: %1; background: transparent; }").arg(color.name()));
    return label;
}

QLineEdit* MakeEditField(QWidget* parent, const QFont& font, bool password) {
    auto* edit = new QLineEdit(parent);
    edit->setFont(font);
    edit->setFrame(false);
    edit->setAlignment(password ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    if (password)
        edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background: %2; border: none; "
                                       "selection-background-color: %1; selection-color: %2; }")
                            .arg(kEditTextColor.name(), kEditBackColor.name()));
    return edit;
}

CImageButton* MakeDialogButton(QWidget* parent, int normal, int hover) {
    auto* button = new CImageButton(parent);
    button->SetBitmaps(normal, hover, normal, hover);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void PaintDialogFrame(QPainter& painter, const QWidget& window) {
    painter.fillRect(window.rect(), kClientColor);
    const int band = Scaled(38);
    painter.fillRect(QRect(0, 0, window.width(), band), kBandColor);
    painter.setPen(Qt::black);
    painter.drawLine(0, band, window.width(), band);
}

void PumpMessages(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace orvane
