#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/CommandLineInfo.h"
#include "app/CustomMessage.h"
#include "app/Language.h"
#include "app/NetworkLayer.h"
#include "app/OrvaneApp.h"
#include "app/Registry.h"
#include "uikit/CustomMsgDlg.h"
#include "uikit/ImageButton.h"

namespace orvane {
namespace {

// Acts on the first visible modal window as soon as there is one.
void WhenModalOpens(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

TEST(CommandLine, AutostartIsAcceptedInAnyFormWithoutEffect) {
    const struct {
        std::vector<std::u16string> args;
        bool autoStart;
        std::u16string autoStartArg;
        std::u16string fileName;
    } cases[] = {
        {{}, false, u"", u""},
        {{u"/autostart", u"tray"}, true, u"tray", u"tray"},
        {{u"-AUTOSTART"}, true, u"", u""},
        {{u"-AutoStart", u"x", u"y"}, true, u"y", u"x"},
        {{u"notes.txt"}, false, u"", u"notes.txt"},
        {{u"/unknown", u"a"}, false, u"", u"a"},
    };
    for (const auto& c : cases) {
        g_autoStart = false;
        COrvaneCommandLineInfo info;
        ParseCommandLine(c.args, info);
        EXPECT_EQ(g_autoStart, c.autoStart);
        EXPECT_EQ(info.m_strAutoStartArg, c.autoStartArg);
        EXPECT_EQ(info.m_strFileName, c.fileName);
    }
    g_autoStart = false;
}

TEST(ShowCustomMessage, OneBoxAtATimeFromAnyThread) {
    int nested = 0;
    bool openDuring = false;
    WhenModalOpens([&](QWidget* box) {
        openDuring = IsCustomMessageOpen();
        nested = ShowCustomMessage(QStringLiteral("second"), QString(), 0);
        auto* msg = dynamic_cast<CCustomMsgDlg*>(box);
        ASSERT_NE(msg, nullptr);
        EXPECT_EQ(msg->Caption(), QStringLiteral("Tavelon Orvane"));
        EXPECT_EQ(msg->Text(), QStringLiteral("first"));
        QTest::mouseClick(msg->Button(1247), Qt::LeftButton);
    });
    EXPECT_EQ(ShowCustomMessage(u"first", nullptr, 4), kIdNo);
    EXPECT_EQ(nested, -1);
    EXPECT_TRUE(openDuring);
    EXPECT_FALSE(IsCustomMessageOpen());

    // A worker thread's message runs on the GUI thread and the worker gets the answer.
    int workerResult = 0;
    bool done = false;
    WhenModalOpens([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
    std::thread worker([&] {
        workerResult = ShowCustomMessage(QStringLiteral("from a worker"), QStringLiteral("caption"), 3);
        done = true;
    });
    while (!done)
        QTest::qWait(10);
    worker.join();
    EXPECT_EQ(workerResult, kIdYes);
    EXPECT_FALSE(IsCustomMessageOpen());
}

// Records the start-up steps and can make any of them fail.
class RecordingApp : public COrvaneApp {
  public:
    RecordingApp() : COrvaneApp([this] { steps.push_back("main window"); }) {}

    std::vector<std::string> steps;
    std::string failAt;
    std::vector<QString> messages;

  protected:
    bool Step(const std::string& name) {
        steps.push_back(name);
        return failAt != name;
    }
    void InstallCrashHandler() override { Step("crash handler"); }  // not in the test process
    int InitNetworkLayer() override { return Step("network") ? COrvaneApp::InitNetworkLayer() : -1; }
    bool InitSocketSupport() override { return Step("sockets") && COrvaneApp::InitSocketSupport(); }
    void RegisterWindowClass() override {
        Step("window class");
        COrvaneApp::RegisterWindowClass();
    }
    void ReadLanguageCode() override {
        Step("language code");
        COrvaneApp::ReadLanguageCode();
    }
    bool CheckSystem(QString* found) override {
        const bool pass = Step("system check");
        *found = QStringLiteral("wayland");
        return pass;
    }
    void ParseCommandLine(const std::vector<std::u16string>& arguments) override {
        Step("command line");
        COrvaneApp::ParseCommandLine(arguments);
    }
    bool AdmitSingleInstance() override {
        return Step("single instance") && COrvaneApp::AdmitSingleInstance();
    }
    void ShutdownNetworkLayer() override {
        Step("network down");
        COrvaneApp::ShutdownNetworkLayer();
    }
    void ShowFrameworkMessage(const QString& text) override { messages.push_back(text); }
    void ShowSystemCheckMessage(const QString& text) override { messages.push_back(text); }
};

class StartUp : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = testing::TempDir() + "startup_" + std::to_string(::getpid());
        std::filesystem::remove_all(folder_);
        SetRegistryRootFolder(folder_);
        SetRegistryProgramName("TavelonOrvane");
    }
    void TearDown() override {
        UnloadLanguageResources();
        SetRegistryRootFolder("");
        std::filesystem::remove_all(folder_);
    }
    std::string folder_;
};

TEST_F(StartUp, RunsItsStepsInOrderAndEndsAtTheFirstFailure) {
    const std::vector<std::string> all = {"crash handler", "network",         "sockets",
                                          "window class",  "language code",   "system check",
                                          "command line",  "single instance", "main window"};
    const struct {
        std::string failAt;
        size_t stepsRun;  // of `all`
        QString message;
    } cases[] = {
        {"", all.size(), QString()},
        {"network", 2, QStringLiteral("An error occurred while initializing ENet.\n")},
        {"sockets", 3, QString::fromUtf16(u"Windows 소켓을 초기화하지 못했습니다.")},
        {"system check", 6,
         QString::fromUtf16(
             u"Tavelon Orvane은 X11 그래픽 세션에서만 실행할 수 있습니다.\n(현재 세션: wayland)")},
        {"single instance", 8, QString()},
    };
    for (const auto& c : cases) {
        RecordingApp app;
        app.failAt = c.failAt;
        EXPECT_FALSE(app.InitInstance({u"/autostart"}));
        EXPECT_EQ(app.ExitInstance(), 0);
        std::vector<std::string> expected(all.begin(), all.begin() + static_cast<long>(c.stepsRun));
        expected.push_back("network down");
        EXPECT_EQ(app.steps, expected) << "failing at " << c.failAt;
        if (c.message.isNull())
            EXPECT_TRUE(app.messages.empty()) << "failing at " << c.failAt;
        else
            EXPECT_EQ(app.messages, std::vector<QString>{c.message}) << "failing at " << c.failAt;
    }
}

TEST_F(StartUp, ReadsTheLanguageFromTheRegistryAndAdmitsOneCopy) {
    // No value: Korean, nothing tried.
    RecordingApp first;
    EXPECT_FALSE(first.InitInstance({}));
    EXPECT_EQ(g_languageCode, u"Kor");
    EXPECT_TRUE(first.m_languageLibraryPath.empty());

    // While the first holds its place, a second copy ends before its main window, silently.
    ASSERT_TRUE(ProfileWriteString(u"config", u"language", u"Eng"));
    RecordingApp second;
    EXPECT_FALSE(second.InitInstance({}));
    EXPECT_EQ(second.steps.back(), "single instance");
    EXPECT_TRUE(second.messages.empty());
    EXPECT_EQ(second.m_languageLibraryPath, "./language/Tavelon OrvaneEng.rcc");
    EXPECT_EQ(g_languageCode, u"Kor");  // no pack in this folder
    EXPECT_EQ(second.ExitInstance(), 0);

    EXPECT_EQ(first.ExitInstance(), 0);
    RecordingApp third;
    third.InitInstance({});
    EXPECT_EQ(third.steps.back(), "main window");
    third.ExitInstance();
}

TEST(NetworkLayer, IgnoresBrokenPipesWhileStarted) {
    struct sigaction before {};
    ::sigaction(SIGPIPE, nullptr, &before);
    ASSERT_EQ(InitNetworkLayer(), 0);
    struct sigaction during {};
    ::sigaction(SIGPIPE, nullptr, &during);
    EXPECT_EQ(during.sa_handler, SIG_IGN);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ::close(pair[1]);
    EXPECT_EQ(::write(pair[0], "x", 1), -1);  // an error, not the end of the process
    ::close(pair[0]);
    ShutdownNetworkLayer();
    struct sigaction after {};
    ::sigaction(SIGPIPE, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    EXPECT_TRUE(InitSocketSupport());
}

}  // namespace
}  // namespace orvane
