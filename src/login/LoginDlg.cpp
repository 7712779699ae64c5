#include "login/LoginDlg.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

#include "app/CustomMessage.h"
#include "app/IniFile.h"
#include "app/Language.h"
#include "app/Registry.h"
#include "login/DialogLook.h"
#include "login/TeacherId.h"
#include "uikit/CaptionDrag.h"
#include "uikit/CustomMsgDlg.h"
#include "uikit/ImageButton.h"
#include "uikit/Scale.h"

namespace orvane {

CLoginDlg::CLoginDlg(QWidget* parent) : CCaptionDialog(parent) {
    setWindowTitle(QStringLiteral("Tavelon Orvane"));

    title_ =
        MakeTextLine(this, Str(2700), kCaptionTextColor, UiFont(13, true), Qt::AlignLeft | Qt::AlignVCenter);
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label_ =
        MakeTextLine(this, Str(2702), kLabelTextColor, UiFont(12, true), Qt::AlignLeft | Qt::AlignVCenter);
    edit_ = MakeEditField(this, UiFont(12, true), false);
    message_ = MakeTextLine(this, QString(), kLabelTextColor, UiFont(12, true), Qt::AlignCenter);
    message_->setStyleSheet(QStringLiteral("QLabel { color: %1; background: %2; }")
                                .arg(kLabelTextColor.name(), kClientColor.name()));

    ok_ = MakeDialogButton(this, 160, 161);
    cancel_ = MakeDialogButton(this, 184, 185);
    connect(ok_, &QAbstractButton::clicked, this, [this] { OnOk(); });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { reject(); });

    Layout();
}

CImageButton* CLoginDlg::Button(int id) const {
    switch (id) {
        case 1:
            return ok_;
        case 2:
            return cancel_;
        case 1628:
            return closeButton();
        default:
            return nullptr;
    }
}

void CLoginDlg::Layout() {
    setFixedSize(Scaled(378, 304));
    title_->setGeometry(Scaled(6, 12, 287, 13));
    message_->setGeometry(Scaled(23, 148, 334, 18));
    edit_->setGeometry(Scaled(132, 184, 194, 18));
    label_->setGeometry(Scaled(21, 186, 89, 12));
    ok_->setGeometry(Scaled(220, 260, 67, 34));
    cancel_->setGeometry(Scaled(289, 260, 67, 34));
    closeButton()->setGeometry(Scaled(337, 0, 39, 34));
    ForgetPictures();
}

int CLoginDlg::DoModal() {
    CenterOnDesktop(this);
    return exec();
}

void CLoginDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edit_->setText(teacherId_);
    edit_->selectAll();
    edit_->setFocus();
    activateWindow();
    message_->clear();
    StartTopmostTimer();
}

void CLoginDlg::paintEvent(QPaintEvent*) {
    PaintFrame(
        {{163, Scaled(0, 39, 376, 89)}, {162, Scaled(104, 178, 252, 29)}, {164, Scaled(18, 250, 341, 2)}});
}

void CLoginDlg::keyPressEvent(QKeyEvent* event) {
    if (!busy_)
        CCaptionDialog::keyPressEvent(event);
}

void CLoginDlg::reject() {
    if (busy_)
        return;
    StopTopmostTimer();
    done(kIdCancel);
}

void CLoginDlg::OnOk() {
    if (busy_)
        return;
    StopTopmostTimer();
    teacherId_ = QString::fromStdU16String(TrimTeacherId(edit_->text().toStdU16String()));
    const TeacherIdProblem problem = CheckTeacherId(teacherId_.toStdU16String());
    if (problem != TeacherIdProblem::kNone) {
        ShowCustomMessage(Str(TeacherIdMessageId(problem)), QString(), 0);
        edit_->setFocus();
        return;
    }

    // The lookup holds the dialog: its line is painted first, and while the request runs the window
    // keeps painting but takes no input.
    busy_ = true;
    message_->setText(Str(1106));
    PumpMessages(100);
    GuardSettingsFile(settingsFolder_);
    RelayLookupConfig config = lookupConfig_;
    if (!config.loadString)
        config.loadString = [](int id) { return LoadString(id); };
    if (!config.http.pump)
        config.http.pump = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    RelayLookup(teacherId_.toStdU16String(), fields_, config);
    busy_ = false;

    if (fields_.result != u"false") {
        WriteSetting(u"default", u"rsip", fields_.serverAddress);
        WriteSetting(u"default", u"rsport", fields_.serverPort);
    } else if (fields_.code != u"404") {
        message_->setText(QString::fromStdU16String(fields_.message));
        return;
    } else {
        fields_.serverAddress = SettingIni().GetString(u"default", u"rsip", u"");
        fields_.serverPort = SettingIni().GetString(u"default", u"rsport", u"");
    }
    ProfileWriteString(u"config", u"teacherid", teacherId_.toStdU16String());
    edit_->setText(teacherId_);
    done(kIdOk);
}

}  // namespace orvane
