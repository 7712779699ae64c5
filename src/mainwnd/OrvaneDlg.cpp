#include "mainwnd/OrvaneDlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "app/CustomMessage.h"
#include "app/IniFile.h"
#include "app/Language.h"
#include "app/ProductProfile.h"
#include "app/Registry.h"
#include "login/ConnectPswdDlg.h"
#include "login/DialogLook.h"
#include "login/LoginDlg.h"
#include "mainwnd/Geometry.h"
#include "security/CryptSettings.h"
#include "uikit/Banner.h"
#include "uikit/CaptionDrag.h"
#include "uikit/CustomMsgDlg.h"
#include "uikit/ImageButton.h"
#include "uikit/Scale.h"
#include "util/Files.h"
#include "util/Text.h"

#include <X11/Xlib.h>

namespace orvane {
namespace {

struct ButtonSpec {
    int id;
    int x, y, width, height;
    int normal, hover, disabled, checked;
    int tooltip;
    bool checkStyle;
};

// Design rectangles of the main window (scaled at run time).
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

QRect PrimaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
}

}  // namespace

bool CompositorRuns() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    const Atom atom = XInternAtom(display, name.c_str(), False);
    const bool runs = XGetSelectionOwner(display, atom) != None;
    XCloseDisplay(display);
    return runs;
}

COrvaneDlg::COrvaneDlg()
    : QDialog(nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
    setWindowTitle(QStringLiteral("Tavelon Orvane"));
    setObjectName(QStringLiteral("Tavelon Orvane"));
    setWindowIcon(LoadIcon(128));
    setAttribute(Qt::WA_ShowWithoutActivating);
    compositing_ = CompositorRuns();
    if (compositing_)
        setAttribute(Qt::WA_TranslucentBackground);
}

COrvaneDlg::~COrvaneDlg() {
    session_.reset();
    delete loading_;
    loading_ = nullptr;
}

int COrvaneDlg::DoModal() {
    if (!Initialise())
        return kIdCancel;
    return RunLoop();
}

int COrvaneDlg::RunLoop() {
    // Not QDialog::exec(): that shows the window, and a hidden dialog's done() would not end it.
    setResult(0);
    QEventLoop loop;
    loop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
    return result();
}

void COrvaneDlg::done(int result) {
    QDialog::done(result);
    if (loop_ != nullptr)
        loop_->exit();
}

bool COrvaneDlg::Initialise() {
    shown_ = false;
    const std::string folder = programFolder_.empty() ? GetModuleFolder() : programFolder_;
    SetCompatLayerFlag(Utf8StringToWide(folder + "/TavelonOrvane"), u"HIGHDPIAWARE");
    const ProductProfile product = LoadProductProfile(folder);
    SetPacketPassword(product.packetPassword);
    SetAesKeyText(product.aesKey);
    ConfigIni().Open("config.ini", folder);
    StoredAddress stored;
    LoadStoredAddress(stored, folder);
    login_.serverAddress = QString::fromStdU16String(stored.ip);
    login_.serverPort = QString::fromStdU16String(stored.port);

    const QRect screen = PrimaryScreen();
    const std::u16string configured = ConfigIni().GetString(u"default", u"scalefactor", u"");
    ConfigIni().GetString(u"default", u"frconnect", u"0");
    g_scaleFactor = ConfiguredScaleFactor(ScaleForScreen(screen.width(), screen.height()), configured);

    CreateButtons();
    new CaptionDrag(this, [this] { return compact_ ? 0 : Scaled(kHeaderBand); });

    CLoginDlg loginDialog;
    loginDialog.SetTeacherId(QString::fromStdU16String(ProfileReadString(u"config", u"teacherid", u"")));
    ProfileReadString(u"config", u"ip", u"");
    loginDialog.SetLookupConfig(lookupConfig_);
    loginDialog.SetSettingsFolder(folder);
    if (loginDialog.DoModal() != kIdOk)
        return false;  // cancelled: the program ends without asking
    login_.teacherId = loginDialog.TeacherId();
    login_.serverAddress = loginDialog.ServerAddress();
    login_.serverPort = loginDialog.ServerPort();
    ProfileWriteString(u"config", u"teacherid", login_.teacherId.toStdU16String());

    PlaceTopRight();
    PlaceButtons();
    zOrderTimer_ = new QTimer(this);
    connect(zOrderTimer_, &QTimer::timeout, this, [this] {
        if (isVisible())
            raise();
    });
    zOrderTimer_->start(100);
    if (QScreen* primary = QGuiApplication::primaryScreen())
        connect(primary, &QScreen::geometryChanged, this, [this] { OnDisplayChange(); });

    if (sessionEnabled_) {
        session_ = std::make_unique<CSession>(static_cast<SessionHost&>(*this), timings_);
        session_->Start({login_.teacherId.toStdU16String(), login_.serverAddress.toStdU16String(),
                         login_.serverPort.toStdU16String()});
    } else {
        QTimer::singleShot(0, this, [this] { SetShown(true); });
    }
    return true;
}

void COrvaneDlg::CreateButtons() {
    title_ = new QLabel(Str(2701), this);
    title_->setFont(UiFont(12, true));
    title_->setStyleSheet(
        QStringLiteral("QLabel { color: %1; background: transparent; }").arg(kCaptionTextColor.name()));
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (const ButtonSpec& entry : kButtons) {
        auto* button = new CImageButton(this);
        button->setObjectName(QString::number(entry.id));
        button->SetCheckStyle(entry.checkStyle);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QAbstractButton::clicked, this, [this, id = entry.id] { OnCommand(id); });
        buttons_[entry.id] = button;
    }
    buttons_[1630]->hide();
}

void COrvaneDlg::PlaceButtons() {
    setFixedSize(Scaled(kMainWidth, kMainHeight));
    title_->setFont(UiFont(12, true));
    title_->setGeometry(Scaled(6, 12, 159, 14));
    for (const ButtonSpec& entry : kButtons) {
        CImageButton* button = buttons_[entry.id];
        button->setGeometry(Scaled(entry.x, entry.y, entry.width, entry.height));
        button->SetBitmaps(entry.normal, entry.hover, entry.disabled, entry.checked);
        if (entry.tooltip)
            button->SetTooltip(Str(entry.tooltip));
    }
    background_ = QPixmap();
}

void COrvaneDlg::PlaceTopRight() {
    const QRect screen = PrimaryScreen();
    move(screen.right() + 1 - Scaled(kMainWidth), screen.top());
}

CImageButton* COrvaneDlg::Button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void COrvaneDlg::SetShown(bool shown) {
    shown_ = shown;
    setVisible(shown);
}

void COrvaneDlg::setVisible(bool visible) {
    // The visibility guard: nothing shows the window before the session allows it.
    QDialog::setVisible(visible && shown_);
}

void COrvaneDlg::ShowLoadingText(const QString& text) {
    if (loading_ == nullptr)
        loading_ = new CLoadingDlg(nullptr);
    loading_->SetText(text);
    CenterOnDesktop(loading_);
    loading_->show();
}

void COrvaneDlg::HideLoading() {
    if (loading_ != nullptr)
        loading_->hide();
}

void COrvaneDlg::ToggleCompact() {
    CImageButton* compactButton = buttons_[1629];
    const QRect screen = PrimaryScreen();
    if (!compactButton->GetCheck()) {
        expandedSize_ = size();
        compactButton->SetCheck(true);
        title_->hide();
        buttons_[1001]->hide();
        compact_ = true;
        setFixedSize(Scaled(kCompactSize, kCompactSize));
        compactIcon_ = LoadImage(183, size());
        if (!compositing_)
            setMask(CompactMask());
    } else {
        compactButton->SetCheck(false);
        title_->show();
        buttons_[1001]->show();
        compact_ = false;
        clearMask();
        const Rect restored = RestoreFromCompact({x(), y(), width(), height()}, expandedSize_.width(),
                                                 expandedSize_.height(), screen.width(), screen.height());
        setFixedSize(expandedSize_);
        move(restored.x, restored.y);
    }
    compactButton->update();
    update();
}

QRegion COrvaneDlg::CompactMask() const {
    const QImage alpha = compactIcon_.toImage().convertToFormat(QImage::Format_ARGB32);
    return QRegion(QBitmap::fromImage(alpha.createAlphaMask()));
}

void COrvaneDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (compact_) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawPixmap(0, 0, compactIcon_);
        return;
    }
    painter.fillRect(rect(), kClientColor);
    const int band = Scaled(kHeaderBand);
    painter.fillRect(QRect(0, 0, width(), band), kBandColor);
    painter.setPen(Qt::black);
    painter.drawLine(0, band, width(), band);
    const QRect panel = Scaled(5, 44, 160, 225);
    if (background_.size() != panel.size())
        background_ = LoadImage(138, panel.size());
    painter.drawPixmap(panel.topLeft(), background_);
}

void COrvaneDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnOk();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        OnCancel();
        return;
    }
    QDialog::keyPressEvent(event);
}

void COrvaneDlg::mousePressEvent(QMouseEvent* event) {
    if (compact_ && event->button() == Qt::LeftButton) {
        pressTime_.start();
        pressed_ = true;
        moved_ = false;
        pressOffset_ = event->globalPosition().toPoint() - pos();
        return;
    }
    QDialog::mousePressEvent(event);
}

void COrvaneDlg::mouseMoveEvent(QMouseEvent* event) {
    if (compact_ && pressed_) {
        moved_ = true;
        move(event->globalPosition().toPoint() - pressOffset_);
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void COrvaneDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (compact_ && pressed_ && event->button() == Qt::LeftButton) {
        const bool tap = pressTime_.elapsed() < kTapMilliseconds;
        pressed_ = moved_ = false;
        if (tap)
            ToggleCompact();
        return;
    }
    pressed_ = moved_ = false;
    QDialog::mouseReleaseEvent(event);
}

void COrvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The window has no system menu of its own; the header band offers the about box instead.
    const QString text = Str(101);
    if (text.isEmpty() || compact_ || event->pos().y() >= Scaled(kHeaderBand))
        return;
    QMenu menu(this);
    menu.addAction(QString(text).replace(QStringLiteral("(&A)"), QString()), this, [this] { ShowAbout(); });
    menu.exec(event->globalPos());
}

void COrvaneDlg::ShowAbout() {
    const QString version = QCoreApplication::applicationVersion().isEmpty()
                                ? QStringLiteral("1.0")
                                : QCoreApplication::applicationVersion();
    ShowCustomMessage(Str(2709).replace(QStringLiteral("%s"), version), Str(2708), 0);
}

void COrvaneDlg::OnOk() {
    if (ShowCustomMessage(Str(206), Str(207), 4) == kIdYes)
        done(kIdOk);
}

void COrvaneDlg::OnCancel() {
    if (!shown_) {
        done(kIdCancel);
        return;
    }
    if (ShowCustomMessage(Str(206), Str(207), 4) != kIdYes)
        return;
    PumpMessages(1000);
    done(kIdCancel);
}

void COrvaneDlg::OnCommand(int id) {
    switch (id) {
        case 1628:
            OnCancel();
            return;
        case 1629:
            ToggleCompact();
            return;
        default:
            break;
    }
    if (commandHandler_) {
        commandHandler_(id);
        return;
    }
    // Without the session's features: the keyboard and the monitor choice need remote control.
    if (id == 1003 || id == 1630)
        ShowCustomMessage(Str(215), QString(), 0);
}

void COrvaneDlg::ShowMessage(const QString& text) {
    ShowCustomMessage(text, QString(), 0);
}

bool COrvaneDlg::RunPasswordDialog(const QString& errorLine, QString* password) {
    CConnectPswdDlg dialog;
    dialog.SetErrorText(errorLine);
    openDialog_ = &dialog;
    const int result = dialog.DoModal();
    openDialog_ = nullptr;
    if (result != kIdOk)
        return false;
    *password = dialog.Password();
    return true;
}

bool COrvaneDlg::RunLoginDialog(LoginTarget* login) {
    CLoginDlg dialog;
    dialog.SetTeacherId(QString::fromStdU16String(login->teacherId));
    dialog.SetLookupConfig(lookupConfig_);
    dialog.SetSettingsFolder(programFolder_.empty() ? GetModuleFolder() : programFolder_);
    openDialog_ = &dialog;
    const int result = dialog.DoModal();
    openDialog_ = nullptr;
    if (result != kIdOk)
        return false;
    login->teacherId = dialog.TeacherId().toStdU16String();
    login->host = dialog.ServerAddress().toStdU16String();
    login->port = dialog.ServerPort().toStdU16String();
    login_ = {dialog.TeacherId(), dialog.ServerAddress(), dialog.ServerPort()};
    return true;
}

void COrvaneDlg::EndProgram() {
    // The session may end from inside a dialog it opened (the password prompt's time limit).
    if (openDialog_ != nullptr)
        openDialog_->done(kIdCancel);
    HideLoading();
    done(kIdCancel);
}

void COrvaneDlg::SetButtonCheck(int id, bool checked) {
    if (CImageButton* button = Button(id))
        button->SetCheck(checked);
}

void COrvaneDlg::ShowMonitorButton(bool show) {
    buttons_[1630]->setVisible(show);
}

QSize COrvaneDlg::PadScreenSize() const {
    return PrimaryScreen().size();
}

void COrvaneDlg::OnDisplayChange() {
    const QRect screen = PrimaryScreen();
    if (!compact_) {
        const QPoint lowerRight = geometry().bottomRight();
        PlaceButtons();
        if (!screen.contains(lowerRight))
            PlaceTopRight();
    }
    if (session_)
        session_->OnDisplayChanged();
}

}  // namespace orvane
