// CImageButton: a button drawn entirely from four pictures of the language module (normal, hover,
// disabled, checked), stretched over the button. Check-style buttons keep their check state only
// as the owner sets it (a tap does not toggle it), like a plain check box the owner drives.
// GUI thread only.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <array>

namespace orvane {

class CImageButton : public QAbstractButton {
  public:
    enum class Look { Normal, Hover, Disabled, Checked };

    explicit CImageButton(QWidget* parent = nullptr);

    // Picture ids for the four looks; the design size of the normal one becomes the bitmap size.
    void SetBitmaps(int normal, int hover, int disabled, int checked);
    // The tooltip shown while the pointer rests on the button.
    void SetTooltip(const QString& text);
    // A check-style button shows its checked picture while checked.
    void SetCheckStyle(bool checkStyle) { setCheckable(checkStyle); }
    void SetCheck(bool checked) { setChecked(checked); }
    bool GetCheck() const { return isChecked(); }
    // 4 (smooth, the default) or 3 (plain stretching) for raster pictures.
    void SetStretchMode(int mode) { stretchMode_ = mode; }

    QSize BitmapSize() const { return bitmapSize_; }
    bool IsHover() const { return hover_; }
    // The look the next paint uses: disabled beats checked, checked beats hover.
    Look CurrentLook() const;
    int CurrentBitmapId() const { return ids_[static_cast<size_t>(CurrentLook())]; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void nextCheckState() override {}

  private:
    std::array<int, 4> ids_{0, 0, 0, 0};
    std::array<QPixmap, 4> cache_;  // each look drawn at the current client size
    QSize bitmapSize_;
    int stretchMode_ = 4;
    bool hover_ = false;
};

}  // namespace orvane
