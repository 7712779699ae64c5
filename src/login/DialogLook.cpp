#include "login/DialogLook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

#include "app/Language.h"
#include "uikit/CaptionDrag.h"

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

CCaptionDialog::CCaptionDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowIcon(LoadIcon(128));
    setAttribute(Qt::WA_OpaquePaintEvent);
    close_ = MakeDialogButton(this, 137, 137);
    connect(close_, &QAbstractButton::clicked, this, [this] { reject(); });
    topmostTimer_ = new QTimer(this);
    topmostTimer_->setSingleShot(true);
    connect(topmostTimer_, &QTimer::timeout, this, [this] { raise(); });
    new CaptionDrag(this, [] { return Scaled(38); });
}

void CCaptionDialog::StartTopmostTimer() {
    topmostTimer_->start(500);
}

void CCaptionDialog::StopTopmostTimer() {
    topmostTimer_->stop();
}

void CCaptionDialog::PaintFrame(std::initializer_list<std::pair<int, QRect>> pictures) {
    QPainter painter(this);
    PaintDialogFrame(painter, *this);
    for (const auto& [id, rect] : pictures) {
        QPixmap& picture = pictures_[id];
        if (picture.size() != rect.size())
            picture = LoadImage(id, rect.size());
        painter.drawPixmap(rect.topLeft(), picture);
    }
}

void CCaptionDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);  // Escape runs reject()
}

}  // namespace orvane
