// The main window with its real session against the real simulated classroom: what the teacher does
// (types the ID, the password) and sees (dialogs, the window) from start to the connected window.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/Language.h"
#include "app/Registry.h"
#include "login/ConnectPswdDlg.h"
#include "login/LoginDlg.h"
#include "mainwnd/OrvaneDlg.h"
#include "sim/ClassroomHarness.h"
#include "support/DialogDriver.h"
#include "support/TempFolder.h"
#include "uikit/CustomMsgDlg.h"
#include "uikit/ImageButton.h"

namespace orvane {
namespace {

using sim_test::LoggedTexts;
using sim_test::SimProcess;
using testing_support::TempFolder;
using testing_support::WhenModalOpens;

class MainWindowSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetRegistryRootFolder(folder_.path() + "/config");
        SetRegistryProgramName("TavelonOrvane");
    }
    void TearDown() override { SetRegistryRootFolder({}); }

    void Start(std::vector<std::string> args) {
        sim_ = std::make_unique<SimProcess>(args);
        ASSERT_TRUE(sim_->ready()) << sim_->Stderr();
        RelayLookupConfig config;
        config.serviceHost = "127.0.0.1:" + std::to_string(sim_->web());
        window_.SetLookupConfig(config);
        window_.SetProgramFolder(folder_.path());
        SessionTimings timings;
        timings.loginWaitMs = timings.podiumWaitMs = 0;
        window_.SetSessionTimings(timings);
        WhenModalOpens<CLoginDlg>([](CLoginDlg& login) {
            QTest::keyClicks(login.IdEdit(), QStringLiteral("teacher01"));
            QTest::keyClick(login.IdEdit(), Qt::Key_Return);
        });
    }

    // Runs the window until it is shown and `ready` holds (then runs `shown` and ends it), or until
    // it ends by itself.
    int Run(
        std::function<void()> shown = {}, std::function<bool()> ready = [] { return true; }) {
        auto* poll = new QTimer(&window_);
        QObject::connect(poll, &QTimer::timeout, [this, poll, shown, ready] {
            if (!window_.isVisible() || !ready())
                return;
            poll->stop();
            if (shown)
                shown();
            window_.done(kIdOk);
        });
        poll->start(10);
        return window_.DoModal();
    }

    TempFolder folder_;
    std::unique_ptr<SimProcess> sim_;
    COrvaneDlg window_;
};

TEST_F(MainWindowSessionTest, DirectLoginShowsTheConnectedWindow) {
    Start({"--monitors", "2"});
    bool sawWindow = false;
    // The monitor button appears once the podium PC has told its two monitors.
    EXPECT_EQ(Run([&] { sawWindow = window_.IsShown(); }, [&] { return window_.Button(1630)->isVisible(); }),
              kIdOk);
    EXPECT_TRUE(sawWindow);
    const auto sent = LoggedTexts(sim_->Log(), "podium", "recv");
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(),
                            [](const std::string& t) { return t.rfind("[RC00022]", 0) == 0; }));
}

TEST_F(MainWindowSessionTest, WrongPasswordBringsTheDialogBackWithTheRedLine) {
    Start({"--password", "secret"});
    QString secondErrorLine;
    bool answered = false;
    WhenModalOpens<CConnectPswdDlg>([&](CConnectPswdDlg& first) {
        EXPECT_FALSE(window_.isVisible());  // hidden while the password is asked
        EXPECT_TRUE(first.ErrorLine()->text().isEmpty());
        QTest::keyClicks(first.PasswordEdit(), QStringLiteral("wrong"));
        QTest::keyClick(first.PasswordEdit(), Qt::Key_Return);
        WhenModalOpens<CConnectPswdDlg>([&](CConnectPswdDlg& second) {
            secondErrorLine = second.ErrorLine()->text();
            QTest::keyClicks(second.PasswordEdit(), QStringLiteral("  secret "));
            QTest::keyClick(second.PasswordEdit(), Qt::Key_Return);
            answered = true;
        });
    });
    bool sawWindow = false;
    // Shown after the right password (the acceptance before the prompt may have shown it already).
    Run([&] { sawWindow = true; }, [&] { return answered; });
    EXPECT_TRUE(sawWindow);
    EXPECT_EQ(secondErrorLine, Str(1601));
    const auto sent = LoggedTexts(sim_->Log(), "podium", "recv");
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                            [](const std::string& t) { return t.rfind("[RC00024]0,", 0) == 0; }),
              2);
}

TEST_F(MainWindowSessionTest, CancelledPasswordEndsTheProgram) {
    Start({"--password", "secret"});
    WhenModalOpens<CConnectPswdDlg>([](CConnectPswdDlg& dialog) { dialog.Button(2)->click(); });
    // The acceptance before the prompt may show the window for a moment; the cancel ends it all.
    EXPECT_EQ(Run({}, [] { return false; }), kIdCancel);
    EXPECT_FALSE(window_.isVisible());
    const auto sent = LoggedTexts(sim_->Log(), "podium", "recv");
    EXPECT_TRUE(std::none_of(sent.begin(), sent.end(),
                             [](const std::string& t) { return t.rfind("[RC00024]", 0) == 0; }));
}

}  // namespace
}  // namespace orvane
