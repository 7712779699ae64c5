#include "app/OrvaneApp.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/CrashHandler.h"
#include "app/CustomMessage.h"
#include "app/Language.h"
#include "app/NetworkLayer.h"
#include "app/Registry.h"
#include "platform/SingleInstance.h"

#include <unistd.h>

namespace orvane {
namespace {

std::string ExecutablePath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string("TavelonOrvane");
}

}  // namespace

COrvaneApp::COrvaneApp(MainWindowRunner runMainWindow) : runMainWindow_(std::move(runMainWindow)) {}

COrvaneApp::~COrvaneApp() = default;

bool COrvaneApp::InitInstance(const std::vector<std::u16string>& arguments) {
    InstallCrashHandler();
    if (InitNetworkLayer() != 0) {
        ShowFrameworkMessage(QStringLiteral("An error occurred while initializing ENet.\n"));
        return false;
    }
    if (!InitSocketSupport()) {
        ShowFrameworkMessage(Str(103));
        return false;
    }
    RegisterWindowClass();
    ReadLanguageCode();
    LoadLanguageResources();

    QString found;
    if (!CheckSystem(&found)) {
        m_strMessage = Str(202).replace(QStringLiteral("%s"), found);
        ShowSystemCheckMessage(m_strMessage);
        return false;
    }
    ParseCommandLine(arguments);
    if (!AdmitSingleInstance())
        return false;  // another copy runs: end at once, silently
    RunMainWindow();
    return false;
}

int COrvaneApp::ExitInstance() {
    ShutdownNetworkLayer();
    instanceLock_.reset();
    return 0;
}

void COrvaneApp::InstallCrashHandler() {
    orvane::InstallCrashHandler();
}

int COrvaneApp::InitNetworkLayer() {
    return orvane::InitNetworkLayer();
}

bool COrvaneApp::InitSocketSupport() {
    return orvane::InitSocketSupport();
}

void COrvaneApp::RegisterWindowClass() {
    // The program's outward identity: the window class the desktop groups its windows under.
    QGuiApplication::setDesktopFileName(QStringLiteral("tavelon-orvane"));
    // The program ends when its main window ends, never because no window happens to be visible
    // (the main window stays hidden while the loading box and the login dialog come and go, and a
    // closing box would otherwise post a quit that ends the next modal loop at once).
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

void COrvaneApp::ReadLanguageCode() {
    g_languageCode = ProfileReadString(u"config", u"language", u"Kor");
}

void COrvaneApp::LoadLanguageResources() {
    m_languageLibraryPath = orvane::LoadLanguageResources();
    UpdateCrashHandlerLanguage();
}

bool COrvaneApp::CheckSystem(QString* found) {
    const QString platform = QGuiApplication::platformName();
    if (found)
        *found = platform;
    return platform == QLatin1String("xcb");
}

void COrvaneApp::ParseCommandLine(const std::vector<std::u16string>& arguments) {
    orvane::ParseCommandLine(arguments, m_cmdInfo);
}

bool COrvaneApp::AdmitSingleInstance() {
    instanceLock_ =
        std::make_unique<SingleInstanceLock>(SingleInstanceLock::KeyForExecutable(ExecutablePath()));
    if (instanceLock_->Acquire())
        return true;
    instanceLock_.reset();
    return false;
}

void COrvaneApp::RunMainWindow() {
    if (runMainWindow_)
        runMainWindow_();
}

void COrvaneApp::ShutdownNetworkLayer() {
    orvane::ShutdownNetworkLayer();
}

void COrvaneApp::ShowFrameworkMessage(const QString& text) {
    std::fprintf(stderr, "TavelonOrvane: %s\n", text.trimmed().toLocal8Bit().constData());
    QMessageBox::warning(nullptr, QStringLiteral("Tavelon Orvane"), text);
}

void COrvaneApp::ShowSystemCheckMessage(const QString& text) {
    // Also on the terminal: on a platform without a screen nobody would see the box.
    std::fprintf(stderr, "TavelonOrvane: %s\n", text.toLocal8Bit().constData());
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        ShowCustomMessage(text, QString(), 0);
}

}  // namespace orvane
