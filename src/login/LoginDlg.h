// CLoginDlg: the modal dialog in which the teacher enters the teacher ID. On OK it checks the ID,
// looks up the login server for it, stores the answer in setting.ini and closes; the owner then reads
// the trimmed ID, the server address and the port. GUI thread only.
#pragma once

#include "login/DialogLook.h"
#include "login/RelayLookup.h"

class QLabel;
class QLineEdit;

namespace orvane {

class CImageButton;

class CLoginDlg : public CCaptionDialog {
  public:
    explicit CLoginDlg(QWidget* parent = nullptr);

    // Owner side: the ID shown when the dialog opens, and the fields read after OK.
    void SetTeacherId(const QString& id) { teacherId_ = id; }
    const QString& TeacherId() const { return teacherId_; }
    const RelayLookupFields& LookupFields() const { return fields_; }
    QString ServerAddress() const { return QString::fromStdU16String(fields_.serverAddress); }
    QString ServerPort() const { return QString::fromStdU16String(fields_.serverPort); }

    // Where the lookup goes (tests point it at their own service); product.ini by default.
    void SetLookupConfig(RelayLookupConfig config) { lookupConfig_ = std::move(config); }
    // The folder of setting.ini; the program folder by default.
    void SetSettingsFolder(const std::string& folder) { settingsFolder_ = folder; }

    // Runs the dialog modally: 1 OK, 2 Cancel.
    int DoModal();

    QLineEdit* IdEdit() const { return edit_; }
    QLabel* MessageLine() const { return message_; }
    CImageButton* Button(int id) const;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void accept() override { OnOk(); }
    void reject() override;

  private:
    void Layout();
    void OnOk();

    QString teacherId_;
    RelayLookupFields fields_;
    RelayLookupConfig lookupConfig_;
    std::string settingsFolder_;

    QLabel* title_ = nullptr;
    QLabel* label_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QLabel* message_ = nullptr;
    CImageButton* ok_ = nullptr;
    CImageButton* cancel_ = nullptr;
    bool busy_ = false;
};

}  // namespace orvane
