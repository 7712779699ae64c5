#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/IniFile.h"
#include "app/Language.h"
#include "app/Registry.h"
#include "login/ConnectPswdDlg.h"
#include "login/LoginDlg.h"
#include "support/DialogDriver.h"
#include "support/TempFolder.h"
#include "support/TestHttpServer.h"
#include "uikit/CustomMsgDlg.h"
#include "uikit/ImageButton.h"

namespace orvane {
namespace {

using namespace std::chrono_literals;
using testing_support::TempFolder;
using testing_support::WhenModalOpens;
using namespace orvane::test;

class LoginDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetRegistryRootFolder(folder_.path() + "/config");
        SetRegistryProgramName("TavelonOrvane");
    }
    void TearDown() override { SetRegistryRootFolder({}); }

    // Types `id` into a fresh dialog and presses Enter; returns the dialog's result, -1 if it stayed open.
    // A message box that opens is answered with OK and its text kept in `message`.
    int Submit(const QString& id, const std::string& serviceHost, QString* message = nullptr,
               QString* line = nullptr) {
        CLoginDlg dialog;
        RelayLookupConfig config;
        config.serviceHost = serviceHost;
        config.http.connectTimeout = config.http.sendTimeout = config.http.receiveTimeout = 5s;
        dialog.SetLookupConfig(config);
        dialog.SetSettingsFolder(folder_.path());
        int result = -1;
        QTimer::singleShot(0, &dialog, [&] {
            if (id.toLatin1() == id.toUtf8()) {
                QTest::keyClicks(dialog.IdEdit(), id);
            } else {  // Hangul arrives as text committed by the input method
                QInputMethodEvent commit;
                commit.setCommitString(id);
                QCoreApplication::sendEvent(dialog.IdEdit(), &commit);
            }
            if (message) {
                WhenModalOpens<CCustomMsgDlg>([message](CCustomMsgDlg& box) {
                    *message = box.Text();
                    box.done(kIdOk);
                });
            }
            QTest::keyClick(dialog.IdEdit(), Qt::Key_Return);
            if (dialog.isVisible()) {
                if (line)
                    *line = dialog.MessageLine()->text();
                dialog.done(100);
            }
        });
        result = dialog.DoModal();
        lastAddress_ = dialog.ServerAddress();
        lastPort_ = dialog.ServerPort();
        lastId_ = dialog.TeacherId();
        return result == 100 ? -1 : result;
    }

    TempFolder folder_;
    QString lastAddress_, lastPort_, lastId_;
};

TEST_F(LoginDialogTest, InvalidIdsShowTheirMessageBeforeAnyNetworkAccess) {
    TestHttpServer service(TestHttpServer::Transport::kSniff,
                           [](const TestHttpRequest&) { return MakeReply(200, "rsip:1.2.3.4\nrsport:1"); });
    struct Case {
        QString typed;
        int messageId;
    };
    std::vector<Case> cases = {{QStringLiteral("   "), 1103}, {QString(21, u'a'), 1105}};
    for (QChar bad : QStringLiteral(",\\<>&|:/*?\""))
        cases.push_back({QStringLiteral("ab") + bad, 1104});
    for (const Case& c : cases) {
        QString message;
        EXPECT_EQ(Submit(c.typed, service.HostPort(), &message), -1) << c.typed.toStdString();
        EXPECT_EQ(message, Str(c.messageId)) << c.typed.toStdString();
    }
    EXPECT_TRUE(service.Requests().empty());
}

TEST_F(LoginDialogTest, SuccessStoresTheServerAndTheTrimmedId) {
    TestHttpServer service(TestHttpServer::Transport::kSniff, [](const TestHttpRequest&) {
        return MakeReply(200, "result:true\r\nrsip:10.9.8.7\r\nrsport:20480\r\n");
    });
    EXPECT_EQ(Submit(QStringLiteral("  teacher01  "), service.HostPort()), kIdOk);
    EXPECT_EQ(lastId_, QStringLiteral("teacher01"));
    EXPECT_EQ(lastAddress_, QStringLiteral("10.9.8.7"));
    EXPECT_EQ(lastPort_, QStringLiteral("20480"));
    EXPECT_EQ(SettingIni().GetString(u"default", u"rsip", u""), u"10.9.8.7");
    EXPECT_EQ(SettingIni().GetString(u"default", u"rsport", u""), u"20480");
    EXPECT_EQ(ProfileReadString(u"config", u"teacherid", u""), u"teacher01");
    ASSERT_EQ(service.Requests().size(), 1u);
    EXPECT_NE(service.Requests()[0].Query().find("val3=teacher01"), std::string::npos);
    // Exactly 20 characters pass, and Hangul goes into the query as UTF-8 escapes.
    EXPECT_EQ(Submit(QString(20, u'k'), service.HostPort()), kIdOk);
    EXPECT_EQ(Submit(QStringLiteral("김선생"), service.HostPort()), kIdOk);
    EXPECT_EQ(lastId_, QStringLiteral("김선생"));
    EXPECT_NE(service.Requests().back().Query().find("val3=%ea%b9%80"), std::string::npos)
        << service.Requests().back().Query();
}

TEST_F(LoginDialogTest, RefusedLookupKeepsTheDialogWithTheRewordedLine) {
    TestHttpServer service(TestHttpServer::Transport::kSniff, [](const TestHttpRequest&) {
        return MakeReply(200, "result:false\ncode:1\nmessage:X");
    });
    QString line;
    EXPECT_EQ(Submit(QStringLiteral("teacher01"), service.HostPort(), nullptr, &line), -1);
    EXPECT_EQ(line, Str(1113));
    EXPECT_EQ(SettingIni().GetString(u"default", u"rsip", u"none"), u"none");
    EXPECT_EQ(ProfileReadString(u"config", u"teacherid", u""), u"");
}

TEST_F(LoginDialogTest, UnreachableServiceFallsBackToTheStoredAddress) {
    GuardSettingsFile(folder_.path());
    WriteSetting(u"default", u"rsip", u"10.1.2.3");
    WriteSetting(u"default", u"rsport", u"10240");
    int port = 0;
    {
        TestHttpServer gone(TestHttpServer::Transport::kPlain, nullptr);
        port = gone.port();
    }
    EXPECT_EQ(Submit(QStringLiteral("teacher01"), "127.0.0.1:" + std::to_string(port)), kIdOk);
    EXPECT_EQ(lastAddress_, QStringLiteral("10.1.2.3"));
    EXPECT_EQ(lastPort_, QStringLiteral("10240"));
}

TEST_F(LoginDialogTest, EscapeAndCloseCancel) {
    for (int way = 0; way < 2; ++way) {
        CLoginDlg dialog;
        QTimer::singleShot(0, &dialog, [&] {
            if (way == 0)
                QTest::keyClick(dialog.IdEdit(), Qt::Key_Escape);
            else
                dialog.Button(1628)->click();
        });
        EXPECT_EQ(dialog.DoModal(), kIdCancel);
    }
}

TEST(ConnectPswdDlg, ReturnsTheTrimmedPasswordAndShowsTheErrorLine) {
    struct Case {
        QString typed, expected;
        QString error;
    };
    const Case cases[] = {{QStringLiteral("  secret 1 "), QStringLiteral("secret 1"), QString()},
                          {QString(), QString(), Str(1601)}};
    for (const Case& c : cases) {
        CConnectPswdDlg dialog;
        dialog.SetErrorText(c.error);
        QString shownError;
        QTimer::singleShot(0, &dialog, [&] {
            shownError = dialog.ErrorLine()->text();
            EXPECT_EQ(dialog.PasswordEdit()->echoMode(), QLineEdit::Password);
            QTest::keyClicks(dialog.PasswordEdit(), c.typed);
            QTest::keyClick(dialog.PasswordEdit(), Qt::Key_Return);
        });
        EXPECT_EQ(dialog.DoModal(), kIdOk);
        EXPECT_EQ(dialog.Password(), c.expected);
        EXPECT_EQ(shownError, c.error);
    }
    CConnectPswdDlg dialog;
    QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(dialog.PasswordEdit(), Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), kIdCancel);
}

}  // namespace
}  // namespace orvane
