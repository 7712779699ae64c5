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

CConnectPswdDlg::CConnectPswdDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(Str(2705));
    setWindowIcon(LoadIcon(128));
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    close_ = MakeDialogButton(this, 137, 137);
    connect(ok_, &QAbstractButton::clicked, this, [this] { accept(); });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { reject(); });
    connect(close_, &QAbstractButton::clicked, this, [this] { reject(); });
    topmostTimer_ = new QTimer(this);
    topmostTimer_->setSingleShot(true);
    connect(topmostTimer_, &QTimer::timeout, this, [this] { raise(); });
    new CaptionDrag(this, [] { return Scaled(38); });
    Layout();
}

CImageButton* CConnectPswdDlg::Button(int id) const {
    return id == 1 ? ok_ : id == 2 ? cancel_ : id == 1628 ? close_ : nullptr;
}

void CConnectPswdDlg::Layout() {
    setFixedSize(Scaled(380, 250));
    title_->setGeometry(Scaled(6, 12, 287, 22));
    prompt_->setGeometry(Scaled(117, 81, 225, 22));
    edit_->setGeometry(Scaled(127, 120, 215, 22));
    error_->setGeometry(Scaled(117, 156, 225, 22));
    ok_->setGeometry(Scaled(219, 208, 67, 34));
    cancel_->setGeometry(Scaled(292, 208, 67, 34));
    close_->setGeometry(Scaled(337, 0, 39, 34));
    pictures_.clear();
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
    topmostTimer_->start(500);
}

QPixmap& CConnectPswdDlg::Picture(int id, const QRect& rect) {
    QPixmap& picture = pictures_[id];
    if (picture.size() != rect.size())
        picture = LoadImage(id, rect.size());
    return picture;
}

void CConnectPswdDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintDialogFrame(painter, *this);
    for (const auto& [id, rect] :
         {std::pair{172, Scaled(20, 60, 340, 129)}, std::pair{173, Scaled(39, 98, 55, 50)},
          std::pair{162, Scaled(117, 105, 225, 40)}})
        painter.drawPixmap(rect.topLeft(), Picture(id, rect));
}

void CConnectPswdDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CConnectPswdDlg::accept() {
    topmostTimer_->stop();
    password_ = QString::fromStdU16String(TrimWhiteSpace(edit_->text().toStdU16String()));
    done(kIdOk);
}

void CConnectPswdDlg::reject() {
    topmostTimer_->stop();
    done(kIdCancel);
}

}  // namespace orvane
