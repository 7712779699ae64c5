#include "login/ConnectPswdDlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

#include "app/Language.h"
#include "login/DialogLook.h"
#include "login/TrimText.h"
#include "uikit/CaptionDrag.h"
#include "uikit/CustomMsgDlg.h"
#include "uikit/ImageButton.h"
#include "uikit/Scale.h"

namespace orvane {

CConnectPswdDlg::CConnectPswdDlg(QWidget* parent) : CCaptionDialog(parent) {
    setWindowTitle(Str(2705));
    title_ =
        MakeTextLine(this, Str(2705), kCaptionTextColor, UiFont(13, true), Qt::AlignLeft | Qt::AlignVCenter);
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);
    prompt_ =
        MakeTextLine(this, Str(2706), kPromptTextColor, UiFont(12, false), Qt::AlignLeft | Qt::AlignVCenter);
    edit_ = MakeEditField(this, UiFont(12, false), true);
    error_ =
        MakeTextLine(this, QString(), kErrorTextColor, UiFont(12, false), Qt::AlignLeft | Qt::AlignVCenter);
    ok_ = MakeDialogButton(this, 169, 170);
    cancel_ = MakeDialogButton(this, 166, 167);
    connect(ok_, &QAbstractButton::clicked, this, [this] { accept(); });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { reject(); });
    Layout();
}

CImageButton* CConnectPswdDlg::Button(int id) const {
    return id == 1 ? ok_ : id == 2 ? cancel_ : id == 1628 ? closeButton() : nullptr;
}

void CConnectPswdDlg::Layout() {
    setFixedSize(Scaled(380, 250));
    title_->setGeometry(Scaled(6, 12, 287, 22));
    prompt_->setGeometry(Scaled(117, 81, 225, 22));
    edit_->setGeometry(Scaled(127, 120, 215, 22));
    error_->setGeometry(Scaled(117, 156, 225, 22));
    ok_->setGeometry(Scaled(219, 208, 67, 34));
    cancel_->setGeometry(Scaled(292, 208, 67, 34));
    closeButton()->setGeometry(Scaled(337, 0, 39, 34));
    ForgetPictures();
}

int CConnectPswdDlg::DoModal() {
    CenterOnDesktop(this);
    return exec();
}

void CConnectPswdDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    error_->setText(errorText_);
    raise();
    activateWindow();
    edit_->setFocus();
    StartTopmostTimer();
}

void CConnectPswdDlg::paintEvent(QPaintEvent*) {
    PaintFrame(
        {{172, Scaled(20, 60, 340, 129)}, {173, Scaled(39, 98, 55, 50)}, {162, Scaled(117, 105, 225, 40)}});
}

void CConnectPswdDlg::accept() {
    StopTopmostTimer();
    password_ = QString::fromStdU16String(TrimWhiteSpace(edit_->text().toStdU16String()));
    done(kIdOk);
}

void CConnectPswdDlg::reject() {
    StopTopmostTimer();
    done(kIdCancel);
}

}  // namespace orvane
