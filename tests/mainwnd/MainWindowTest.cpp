#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include "app/Language.h"
#include "app/Registry.h"
#include "login/LoginDlg.h"
#include "mainwnd/OrvaneDlg.h"
#include "support/DialogDriver.h"
#include "support/TempFolder.h"
#include "support/TestHttpServer.h"
#include "uikit/CustomMsgDlg.h"
#include "uikit/ImageButton.h"
#include "uikit/Scale.h"

namespace orvane {
namespace {

using namespace std::chrono_literals;
using namespace orvane::test;
using testing_support::TempFolder;
using testing_support::WhenModalOpens;

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetRegistryRootFolder(folder_.path() + "/config");
        SetRegistryProgramName("TavelonOrvane");
        RelayLookupConfig config;
        config.serviceHost = service_.HostPort();
        window_.SetLookupConfig(config);
        window_.SetSessionEnabled(false);
        window_.SetProgramFolder(folder_.path());
    }
    void TearDown() override { SetRegistryRootFolder({}); }

    // Logs in through the login dialog, then runs `body` once the window has been shown.
    int RunLoggedIn(std::function<void()> body) {
        WhenModalOpens<CLoginDlg>([](CLoginDlg& login) {
            QTest::keyClicks(login.IdEdit(), QStringLiteral("teacher01"));
            QTest::keyClick(login.IdEdit(), Qt::Key_Return);
        });
        auto* poll = new QTimer(&window_);
        QObject::connect(poll, &QTimer::timeout, [this, poll, body] {
            if (!window_.isVisible())
                return;
            poll->stop();
            body();
        });
        poll->start(10);
        return window_.DoModal();
    }

    TempFolder folder_;
    TestHttpServer service_{TestHttpServer::Transport::kSniff, [](const TestHttpRequest&) {
                                return MakeReply(200, "rsip:127.0.0.1\nrsport:10240");
                            }};
    COrvaneDlg window_;
};

TEST_F(MainWindowTest, OpensAtTheTopRightAndAsksBeforeExit) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QString question;
    const int result = RunLoggedIn([&] {
        EXPECT_EQ(window_.geometry(), QRect(screen.right() + 1 - Scaled(173), 0, Scaled(173), Scaled(279)));
        EXPECT_FALSE(window_.Button(1630)->isVisible());
        EXPECT_TRUE(window_.Button(1001)->isCheckable());
        // No: nothing changes. Then Yes: the window ends.
        WhenModalOpens<CCustomMsgDlg>([&](CCustomMsgDlg& box) {
            question = box.Text();
            box.done(kIdNo);
            WhenModalOpens<CCustomMsgDlg>([](CCustomMsgDlg& again) { again.done(kIdYes); });
            QTimer::singleShot(0, &window_, [this] { window_.Button(1628)->click(); });
        });
        window_.Button(1628)->click();
    });
    EXPECT_EQ(result, kIdCancel);
    EXPECT_EQ(question, Str(206));
    EXPECT_EQ(ProfileReadString(u"config", u"teacherid", u""), u"teacher01");
}

TEST_F(MainWindowTest, CompactIconDragsOnAHoldAndRestoresOnATap) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    RunLoggedIn([&] {
        const QSize expanded = window_.size();
        window_.Button(1629)->click();
        EXPECT_TRUE(window_.IsCompact());
        EXPECT_EQ(window_.size(), QSize(Scaled(70), Scaled(70)));
        EXPECT_TRUE(window_.Button(1629)->GetCheck());

        // A long press that moves only drags the icon (towards the right edge).
        const QPoint start = window_.pos();
        QTest::mousePress(&window_, Qt::LeftButton, {}, QPoint(35, 35));
        QTest::qWait(250);
        QTest::mouseMove(&window_, QPoint(35 + 150, 35 + 40));
        QTest::mouseRelease(&window_, Qt::LeftButton, {}, QPoint(35 + 150, 35 + 40));
        EXPECT_TRUE(window_.IsCompact());
        EXPECT_NE(window_.pos(), start);

        // A quick tap restores the old size, pulled back inside the screen.
        QTest::mouseClick(&window_, Qt::LeftButton, {}, QPoint(35, 35));
        EXPECT_FALSE(window_.IsCompact());
        EXPECT_EQ(window_.size(), expanded);
        EXPECT_LE(window_.geometry().right(), screen.right());
        EXPECT_GE(window_.y(), 0);
        window_.done(kIdOk);
    });
}

TEST(MainWindowClose, BeforeTheFirstShowingEndsWithoutAQuestion) {
    COrvaneDlg window;
    bool asked = false;
    WhenModalOpens<CCustomMsgDlg>(
        [&](CCustomMsgDlg& box) {
            asked = true;
            box.done(kIdNo);
        },
        500);
    QTimer::singleShot(0, &window, [&] { window.OnCancel(); });
    EXPECT_EQ(window.RunLoop(), kIdCancel);
    EXPECT_FALSE(asked);
    EXPECT_FALSE(window.IsShown());
}

}  // namespace
}  // namespace orvane
