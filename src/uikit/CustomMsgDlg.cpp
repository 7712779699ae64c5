#include "uikit/CustomMsgDlg.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include "app/Language.h"
#include "uikit/CaptionDrag.h"
#include "uikit/ImageButton.h"
#include "uikit/Scale.h"

namespace orvane {
namespace {

constexpr int kWidth = 504;
constexpr int kHeight = 234;
constexpr int kBandHeight = 38;
constexpr int kButtonY = 183;
constexpr QColor kFaceColor{36, 43, 58};
constexpr QColor kTextColor{150, 162, 163};

}  // namespace

CCustomMsgDlg::CCustomMsgDlg(const QString& text, const QString& caption, int type, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      text_(text),
      caption_(caption.isNull() ? QStringLiteral("Tavelon Orvane") : caption),
      type_(type) {
    setModal(true);
    setWindowTitle(caption_);
    setAttribute(Qt::WA_OpaquePaintEvent);

    captionFont_ = UiFont(13, true);
    textFont_ = UiFont(13, false);
    captionLabel_ = new QLabel(caption_, this);
    captionLabel_->setFont(captionFont_);
    QPalette captionPalette = captionLabel_->palette();
    captionPalette.setColor(QPalette::WindowText, kCaptionTextColor);
    captionLabel_->setPalette(captionPalette);
    captionLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);

    close_ = MakeButton(137, 137, 137, 137, kIdCancel);
    close_->setFocusPolicy(Qt::NoFocus);
    ok_ = MakeButton(169, 170, 169, 170, kIdOk);
    cancel_ = MakeButton(166, 167, 166, 167, kIdCancel);
    yes_ = MakeButton(171, 171, 171, 171, kIdYes);
    no_ = MakeButton(168, 168, 168, 168, kIdNo);
    for (CImageButton* b : {ok_, cancel_, yes_, no_})
        b->hide();
    Layout();
    new CaptionDrag(this, [] { return Scaled(kBandHeight); });

    if (QScreen* screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::geometryChanged, this, [this] { Layout(); });
}

CImageButton* CCustomMsgDlg::MakeButton(int normal, int hover, int disabled, int checked, int result) {
    auto* button = new CImageButton(this);
    button->SetBitmaps(normal, hover, disabled, checked);
    connect(button, &QAbstractButton::clicked, this, [this, result] { done(result); });
    return button;
}

void CCustomMsgDlg::Layout() {
    setFixedSize(Scaled(kWidth, kHeight));
    close_->setGeometry(Scaled(463, 0, 39, 34));
    captionLabel_->setGeometry(Scaled(6, 12, 231, 22));

    std::vector<CImageButton*> shown;
    switch (type_) {
        case 0:
            shown = {ok_};
            break;
        case 3:
            shown = {yes_, no_, cancel_};
            break;
        case 4:
            shown = {yes_, no_};
            break;
        default:
            break;
    }
    // Right-aligned: the last button at 418, the ones before it 73 further left each.
    const int xs[] = {272, 345, 418};
    const size_t first = 3 - shown.size();
    for (size_t i = 0; i < shown.size(); ++i) {
        shown[i]->setGeometry(Scaled(xs[first + i], kButtonY, 67, 34));
        shown[i]->show();
    }
}

CImageButton* CCustomMsgDlg::Button(int id) const {
    switch (id) {
        case kIdOk:
            return ok_;
        case kIdCancel:
            return cancel_;
        case 1246:
            return yes_;
        case 1247:
            return no_;
        case 1628:
            return close_;
        default:
            return nullptr;
    }
}

CImageButton* CCustomMsgDlg::DefaultButton() const {
    if (type_ == 0)
        return ok_;
    if (type_ == 3 || type_ == 4)
        return yes_;
    return nullptr;
}

int CCustomMsgDlg::DoModal() {
    Layout();
    CenterOnDesktop(this);
    if (CImageButton* button = DefaultButton())
        button->setFocus();
    const int result = exec();
    return result == kIdOk || result == kIdYes || result == kIdNo ? result : kIdCancel;
}

void CCustomMsgDlg::reject() {
    done(kIdCancel);
}

QRect CCustomMsgDlg::TextRect() const {
    const int left = Scaled(110);
    const int right = Scaled(460);
    const int top = Scaled(63);
    const int bottom = Scaled(163);
    const QFontMetrics metrics(textFont_);
    const QRect measured =
        metrics.boundingRect(QRect(left, top, right - left, bottom - top), Qt::TextWordWrap, text_);
    // Centred in the box, never above its top.
    const int y = std::max(top, top + (bottom - (top + measured.height())) / 2);
    return {left, y, right - left, std::max(bottom - y, measured.height())};
}

QPixmap& CCustomMsgDlg::Picture(int id, const QRect& rect) {
    QPixmap& picture = pictures_[id];
    if (picture.size() != rect.size())
        picture = LoadImage(id, rect.size());
    return picture;
}

void CCustomMsgDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kFaceColor);
    const int band = Scaled(kBandHeight);
    painter.fillRect(QRect(0, 0, width(), band), kBandColor);
    painter.setPen(Qt::black);
    painter.drawLine(0, band, width(), band);

    const QRect panel = Scaled(15, 51, 470, 124);
    const QRect mark = Scaled(39, 85, 55, 50);
    painter.drawPixmap(panel.topLeft(), Picture(172, panel));
    painter.drawPixmap(mark.topLeft(), Picture(173, mark));

    painter.setFont(textFont_);
    painter.setPen(kTextColor);
    painter.drawText(TextRect(), Qt::TextWordWrap | Qt::TextDontClip, text_);
}

void CCustomMsgDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The focused answer button, else the first one.
        auto* focused = dynamic_cast<CImageButton*>(focusWidget());
        CImageButton* target =
            focused && focused != close_ && focused->isVisible() ? focused : DefaultButton();
        if (target)
            target->click();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        done(kIdCancel);
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace orvane
