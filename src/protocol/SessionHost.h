// SessionHost: what the session asks of the window that owns it (COrvaneDlg in the program). The
// session decides what happens when; the host owns everything the user sees.
//
// Thread: every call comes from the session's thread (the main thread). Calls marked "modal" run a
// nested event loop; the session keeps running inside them (its sockets and timers fire), and may
// even end from inside one (the password prompt's 30 s limit): the host must then close whatever
// modal it has open when EndProgram arrives.
//
// No call may destroy the session: several come from inside its handlers. End the window's event
// loop instead and destroy the session after the loop has returned.
#pragma once

#include <QSize>
#include <QString>
#include <memory>

#include "protocol/Packet.h"

namespace orvane {

// The login dialog's fields, given to it and taken back after OK.
struct LoginTarget {
    std::u16string teacherId;
    std::u16string host;  // the login server's address
    std::u16string port;  // decimal text
};

class SessionHost {
  public:
    // The loading box (CLoadingDlg): made on first use, the text set, centred on the desktop, shown.
    virtual void ShowLoadingText(const QString& text) = 0;
    // Hides the loading box when it exists.
    virtual void HideLoading() = 0;
    // Modal. ShowCustomMessage(text, null, 0).
    virtual void ShowMessage(const QString& text) = 0;
    // The shown flag and the window's visibility together: false also hides the window.
    virtual void SetShown(bool shown) = 0;
    // Modal. The connection password dialog with `errorLine` in its red line (empty: none).
    // True and the trimmed password on OK; false on Cancel (or when closed by EndProgram).
    virtual bool RunPasswordDialog(const QString& errorLine, QString* password) = 0;
    // Modal. The login dialog again (after a refusal), prefilled with `login`; true and the new
    // fields on OK, false on Cancel.
    virtual bool RunLoginDialog(LoginTarget* login) = 0;
    // The session is over and so is the program: end the main window's loop (no question asked).
    // Modal dialogs the host has open must close.
    virtual void EndProgram() = 0;
    // The window's close request, as if the user closed it: ends at once while the window has never
    // been shown, asks the exit question otherwise. The session carries on unless the window ends.
    virtual void CloseMainWindow() = 0;
    // Checked state of a check-style button (1006 touch lock, 1008 broadcast).
    virtual void SetButtonCheck(int id, bool checked) = 0;
    // The monitor button 1630.
    virtual void ShowMonitorButton(bool show) = 0;
    // The pad's primary screen size in pixels.
    virtual QSize PadScreenSize() const = 0;
    // A screen frame of the podium PC, for the control thread while remote control runs. The
    // default drops it.
    virtual void HandOverFrame(std::unique_ptr<CPacket> frame) { (void)frame; }
    // The podium PC reported a selected monitor ("[RH00009]"): the view window, when it exists, is
    // told (WM_USER+2901 of the original). The default does nothing.
    virtual void MonitorSelected(int monitor) { (void)monitor; }

  protected:
    ~SessionHost() = default;
};

}  // namespace orvane
