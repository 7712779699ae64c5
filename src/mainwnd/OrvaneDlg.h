// COrvaneDlg: the pad remote's only top-level window. A small borderless tool window, always on top
// in the top-right corner, with eight feature buttons, a close button and a button that shrinks it to
// a 70-pixel floating icon. It never takes the focus from other programs, and it stays hidden until
// the session says it may be shown. GUI thread only.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPixmap>
#include <QPoint>
#include <functional>
#include <map>

#include "login/RelayLookup.h"
#include "protocol/Session.h"
#include "protocol/SessionHost.h"

class QLabel;
class QTimer;

namespace orvane {

class CImageButton;
class CLoadingDlg;

class CConnectPswdDlg;
class CLoginDlg;

class COrvaneDlg : public QDialog, private SessionHost {
  public:
    // What the window knows once the login dialog has closed with OK.
    struct LoginResult {
        QString teacherId;
        QString serverAddress;
        QString serverPort;
    };
    // Handler of a feature command (1001-1008, 1630) before the feature code is there.
    using CommandHandler = std::function<void(int id)>;

    COrvaneDlg();
    ~COrvaneDlg() override;

    // After the login dialog the window starts the session, which shows the window when the handshake
    // allows it. Without a session (layout tests) the window shows itself at once.
    void SetSessionEnabled(bool enabled) { sessionEnabled_ = enabled; }
    void SetSessionTimings(SessionTimings timings) { timings_ = std::move(timings); }
    CSession* Session() const { return session_.get(); }
    void SetCommandHandler(CommandHandler handler) { commandHandler_ = std::move(handler); }
    // Lookup configuration and settings folder passed to the login dialog (tests and the demo).
    void SetLookupConfig(RelayLookupConfig config) { lookupConfig_ = std::move(config); }
    void SetProgramFolder(const std::string& folder) { programFolder_ = folder; }

    // Runs the initialisation (login dialog included) and the window modally; returns when it ends.
    int DoModal();
    // Runs the window's own modal loop until done(); the window may stay hidden all along.
    int RunLoop();
    void done(int result) override;

    // The shown flag: while false the window stays hidden whatever asks to show it.
    bool IsShown() const { return shown_; }
    void SetShown(bool shown) override;

    void ToggleCompact();
    bool IsCompact() const { return compact_; }

    CImageButton* Button(int id) const;
    const LoginResult& Login() const { return login_; }

    // The loading window of the connection progress, created on first use.
    void ShowLoadingText(const QString& text) override;
    void HideLoading() override;
    CLoadingDlg* LoadingWindow() const { return loading_; }

    // The exit question and its outcome (command 1: OK; 2 and 1628: Cancel).
    void OnOk();
    void OnCancel();

    // Lays the window out again for the current primary screen (display change).
    void OnDisplayChange();

  protected:
    void setVisible(bool visible) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void accept() override { OnOk(); }
    void reject() override { OnCancel(); }

  private:
    // What the session asks of the window.
    void ShowMessage(const QString& text) override;
    bool RunPasswordDialog(const QString& errorLine, QString* password) override;
    bool RunLoginDialog(LoginTarget* login) override;
    void EndProgram() override;
    void CloseMainWindow() override { OnCancel(); }
    void SetButtonCheck(int id, bool checked) override;
    void ShowMonitorButton(bool show) override;
    QSize PadScreenSize() const override;

    bool Initialise();
    void CreateButtons();
    void PlaceButtons();
    void PlaceTopRight();
    void OnCommand(int id);
    void ShowAbout();
    QRegion CompactMask() const;

    QEventLoop* loop_ = nullptr;
    bool shown_ = false;
    bool compact_ = false;
    QSize expandedSize_;
    bool pressed_ = false;
    bool moved_ = false;
    QElapsedTimer pressTime_;
    QPoint pressOffset_;
    bool compositing_ = false;

    QLabel* title_ = nullptr;
    std::map<int, CImageButton*> buttons_;
    QPixmap background_;
    QPixmap compactIcon_;
    QTimer* zOrderTimer_ = nullptr;
    CLoadingDlg* loading_ = nullptr;

    LoginResult login_;
    bool sessionEnabled_ = true;
    SessionTimings timings_;
    std::unique_ptr<CSession> session_;
    QDialog* openDialog_ = nullptr;  // the login or password dialog the session opened
    CommandHandler commandHandler_;
    RelayLookupConfig lookupConfig_;
    std::string programFolder_;
};

// True when a compositing manager runs on the display (per-pixel alpha windows work).
bool CompositorRuns();

}  // namespace orvane
