#include "uikit/Banner.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>

#include "app/Language.h"
#include "uikit/PictureEx.h"
#include "uikit/Scale.h"

namespace orvane {
namespace {

constexpr QColor kBannerColor{20, 32, 54};
constexpr QColor kBannerBorder{38, 49, 69};
constexpr QColor kBannerText{162, 191, 209};

}  // namespace

CBannerDlg::CBannerDlg(QWidget* parent, int fontHeight)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Tavelon Orvane"));
    text_ = new QLabel(this);
    text_->setFont(UiFont(fontHeight, true));
    text_->setAlignment(Qt::AlignCenter);
    QPalette palette = text_->palette();
    palette.setColor(QPalette::WindowText, kBannerText);
    text_->setPalette(palette);
}

void CBannerDlg::SetText(const QString& text) {
    text_->setText(text);
    setWindowTitle(text);  // what a task list or screen reader names the box by
}

QString CBannerDlg::Text() const {
    return text_->text();
}

void CBannerDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), kBannerBorder);
    painter.fillRect(rect().adjusted(2, 2, -2, -2), kBannerColor);
}

CWaitMsgDlg::CWaitMsgDlg(QWidget* parent) : CBannerDlg(parent, 12) {
    setObjectName(QStringLiteral("CWaitMsgDlg"));
    setGeometry(QRect(QPoint(0, 0), Scaled(400, 50)));
    setFixedSize(Scaled(400, 50));
    // The 1-pixel offsets are not scaled.
    const int lineHeight = Scaled(23);
    text_->setGeometry(1, (height() - lineHeight) / 2, Scaled(400) - 1, lineHeight);
}

CLoadingDlg::CLoadingDlg(QWidget* parent) : CBannerDlg(parent, 14) {
    setObjectName(QStringLiteral("CLoadingDlg"));
    setFixedSize(Scaled(320, 210));
    text_->setGeometry(Scaled(6, 136, 307, 21));
    picture_ = new CPictureEx(this);
    picture_->SetBackgroundColor(kBannerColor);
    if (picture_->Load(LoadImageData(177)))
        picture_->Draw();
    // The 31 centres the 63-pixel animation, which is not scaled.
    picture_->move(Scaled(320) / 2 - 31, Scaled(56));
}

void CLoadingDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace orvane
