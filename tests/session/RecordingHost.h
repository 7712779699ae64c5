// The session's window side in the tests: a SessionHost that records what the user would see (one
// line per call) and answers the dialogs from a script. Messages are "modal" the way the real box
// is: the event loop keeps running for a moment inside them, so the session's sockets and timers
// fire there as they would behind a real dialog.
#pragma once

#include <QEventLoop>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "protocol/EventLoopWait.h"
#include "protocol/SessionHost.h"
#include "util/Text.h"

namespace orvane::testing {

class RecordingHost : public SessionHost {
  public:
    // What the password dialog does when it is shown.
    struct PasswordAnswer {
        enum Kind { kOk, kCancel, kLeaveOpen } kind = kOk;
        QString password;
    };

    // Everything the user saw, in order: "loading:<text>", "hide-loading", "message:<text>",
    // "shown:<0|1>", "password:<error line>", "login-dialog:<teacher ID>", "check:<id>=<0|1>",
    // "monitor-button:<0|1>", "end", "close".
    std::vector<std::string> calls;
    bool shown = false;
    bool ended = false;
    bool closed = false;

    std::deque<PasswordAnswer> passwords;
    // The login dialog's answer after a refusal; none = Cancel.
    std::optional<LoginTarget> loginAnswer;
    QSize screen{1920, 1080};

    bool finished() const { return ended || closed; }
    std::vector<std::string> Messages() const { return WithPrefix("message:"); }
    std::vector<std::string> WithPrefix(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& call : calls)
            if (call.rfind(prefix, 0) == 0)
                out.push_back(call.substr(prefix.size()));
        return out;
    }
    bool Saw(const std::string& call) const {
        for (const std::string& c : calls)
            if (c == call)
                return true;
        return false;
    }

    void ShowLoadingText(const QString& text) override { Record("loading:" + text.toStdString()); }
    void HideLoading() override { Record("hide-loading"); }
    void ShowMessage(const QString& text) override {
        Record("message:" + text.toStdString());
        // The box stays up for a moment while the program's events go on.
        for (int i = 0; i < 5; ++i)
            DrainPostedEvents();
    }
    void SetShown(bool value) override {
        shown = value;
        Record(value ? "shown:1" : "shown:0");
    }
    bool RunPasswordDialog(const QString& errorLine, QString* password) override {
        Record("password:" + errorLine.toStdString());
        const PasswordAnswer answer =
            passwords.empty() ? PasswordAnswer{PasswordAnswer::kCancel, {}} : passwords.front();
        if (!passwords.empty())
            passwords.pop_front();
        if (answer.kind == PasswordAnswer::kLeaveOpen) {
            // The dialog waits for the user until the program ends around it.
            QEventLoop loop;
            modal_ = &loop;
            if (!ended)
                loop.exec();
            modal_ = nullptr;
            return false;
        }
        *password = answer.password;
        return answer.kind == PasswordAnswer::kOk;
    }
    bool RunLoginDialog(LoginTarget* login) override {
        Record("login-dialog:" + WideToUtf8String(login->teacherId));
        if (!loginAnswer)
            return false;
        *login = *loginAnswer;
        return true;
    }
    void EndProgram() override {
        ended = true;
        Record("end");
        if (modal_)
            modal_->quit();
    }
    void CloseMainWindow() override {
        closed = true;
        Record("close");
    }
    void SetButtonCheck(int id, bool checked) override {
        Record("check:" + std::to_string(id) + "=" + (checked ? "1" : "0"));
    }
    void ShowMonitorButton(bool show) override { Record(show ? "monitor-button:1" : "monitor-button:0"); }
    QSize PadScreenSize() const override { return screen; }

  private:
    void Record(std::string call) { calls.push_back(std::move(call)); }

    QEventLoop* modal_ = nullptr;
};

}  // namespace orvane::testing
