// CConnectPswdDlg: the small modal dialog with one masked line in which the teacher types the podium
// PC's connection password. It only collects the text; the owner encrypts, sends and judges it, and
// brings the dialog back with the red error line after a mismatch. GUI thread only.
#pragma once

#include "login/DialogLook.h"

class QLabel;
class QLineEdit;

namespace orvane {

class CImageButton;

class CConnectPswdDlg : public CCaptionDialog {
  public:
    explicit CConnectPswdDlg(QWidget* parent = nullptr);

    // Empty, or string 1601 after a wrong password; set before the dialog is shown.
    void SetErrorText(const QString& text) { errorText_ = text; }
    // The typed password, trimmed at both ends; valid after OK.
    const QString& Password() const { return password_; }

    // Runs the dialog modally: 1 OK, 2 Cancel.
    int DoModal();

    QLineEdit* PasswordEdit() const { return edit_; }
    QLabel* ErrorLine() const { return error_; }
    CImageButton* Button(int id) const;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void accept() override;
    void reject() override;

  private:
    void Layout();

    QString errorText_;
    QString password_;
    QLabel* title_ = nullptr;
    QLabel* prompt_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QLabel* error_ = nullptr;
    CImageButton* ok_ = nullptr;
    CImageButton* cancel_ = nullptr;
};

}  // namespace orvane
