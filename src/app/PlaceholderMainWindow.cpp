#include "app/PlaceholderMainWindow.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <memory>

#include "app/CustomMessage.h"
#include "app/Language.h"
#include "uikit/Banner.h"
#include "uikit/CaptionDrag.h"
#include "uikit/CustomMsgDlg.h"
#include "uikit/ImageButton.h"
#include "uikit/Scale.h"

namespace orvane {
namespace {

// Processes the GUI thread's events for `ms` milliseconds (the program's timed waits).
void PumpMessages(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

struct ButtonSpec {
    int id;
    int x, y, width, height;
    int normal, hover, disabled, checked;
    int tooltip;
    bool checkStyle;
};

constexpr ButtonSpec kButtons[] = {
    {1628, 132, 0, 39, 34, 137, 137, 137, 137, 0, false},
    {1629, 91, 0, 39, 34, 174, 174, 174, 175, 0, true},
    {1001, 22, 51, 50, 64, 142, 151, 179, 150, 221, true},
    {1003, 96, 54, 56, 28, 140, 140, 140, 140, 222, false},
    {1630, 96, 87, 56, 28, 186, 187, 186, 186, 234, false},
    {1004, 22, 126, 50, 64, 143, 153, 180, 152, 223, true},
    {1007, 96, 126, 56, 28, 141, 141, 141, 141, 224, false},
    {1005, 96, 159, 56, 28, 144, 144, 144, 154, 225, true},
    {1006, 22, 202, 50, 64, 145, 157, 181, 156, 226, true},
    {1008, 98, 202, 50, 64, 139, 147, 178, 146, 227, true},
};

class CPlaceholderDlg : public QDialog {
  public:
    CPlaceholderDlg() : QDialog(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
        setWindowTitle(QStringLiteral("Tavelon Orvane"));
        setWindowIcon(LoadIcon(128));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(Scaled(173, 279));
        auto* title = new QLabel(Str(2701), this);
        title->setGeometry(Scaled(6, 12, 159, 14));
        title->setFont(UiFont(12, true));
        QPalette palette = title->palette();
        palette.setColor(QPalette::WindowText, kCaptionTextColor);
        title->setPalette(palette);
        title->setAttribute(Qt::WA_TransparentForMouseEvents);
        for (const ButtonSpec& spec : kButtons) {
            auto* button = new CImageButton(this);
            button->setObjectName(QString::number(spec.id));
            button->SetBitmaps(spec.normal, spec.hover, spec.disabled, spec.checked);
            button->SetCheckStyle(spec.checkStyle);
            if (spec.tooltip)
                button->SetTooltip(Str(spec.tooltip));
            button->setGeometry(Scaled(spec.x, spec.y, spec.width, spec.height));
            button->setFocusPolicy(Qt::NoFocus);
            connect(button, &QAbstractButton::clicked, this,
                    [this, button, id = spec.id] { OnCommand(id, button); });
            if (spec.id == 1630)
                button->hide();
        }
        new CaptionDrag(this, [] { return Scaled(38); });
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->geometry().right() + 1 - width(), screen->geometry().top());
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), kClientColor);
        const int band = Scaled(38);
        painter.fillRect(QRect(0, 0, width(), band), kBandColor);
        painter.setPen(Qt::black);
        painter.drawLine(0, band, width(), band);
        const QRect panel = Scaled(5, 44, 160, 225);
        if (background_.size() != panel.size())
            background_ = LoadImage(138, panel.size());
        painter.drawPixmap(panel.topLeft(), background_);
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
            event->key() == Qt::Key_Enter) {
            AskExit();
            return;
        }
        QDialog::keyPressEvent(event);
    }

    void reject() override { AskExit(); }

  private:
    void AskExit() {
        if (ShowCustomMessage(Str(206), Str(207), 4) == kIdYes)
            done(kIdOk);
    }

    void OnCommand(int id, CImageButton* button) {
        switch (id) {
            case 1628:
                AskExit();
                break;
            case 1003:
            case 1630:
                ShowCustomMessage(Str(215), QString(), 0);
                break;
            case 1007: {
                CWaitMsgDlg banner(this);
                banner.SetText(Str(1235));
                CenterOnDesktop(&banner);
                banner.show();
                PumpMessages(1000);
                break;
            }
            default:
                if (button->isCheckable())
                    button->SetCheck(!button->GetCheck());
                break;
        }
    }

    QPixmap background_;
};

}  // namespace

void RunPlaceholderMainWindow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        g_scaleFactor = ScaleForScreen(screen->size().width(), screen->size().height());
    {
        CLoadingDlg loading;
        loading.SetText(Str(1520));
        CenterOnDesktop(&loading);
        loading.show();
        PumpMessages(2000);
    }
    CPlaceholderDlg window;
    window.exec();
}

}  // namespace orvane
