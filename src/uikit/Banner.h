// The small dark boxes that carry one line of text: the wait banner CWaitMsgDlg (a short notice such
// as "저장되었습니다.") and the loading box CLoadingDlg (connection progress with an animation).
// Both are modeless, topmost and borderless; their owners create, fill, show and destroy them.
// GUI thread only.
#pragma once

#include <QDialog>

class QLabel;

namespace orvane {

class CPictureEx;

// The shared look: a black outer line, a RGB(38,49,69) border inside it, RGB(20,32,54) within.
class CBannerDlg : public QDialog {
  public:
    // The text of the line (control 1059 of the banner, 1063 of the loading box).
    void SetText(const QString& text);
    QString Text() const;
    QLabel* TextControl() const { return text_; }

  protected:
    CBannerDlg(QWidget* parent, int fontHeight);
    void paintEvent(QPaintEvent* event) override;

    QLabel* text_;
};

class CWaitMsgDlg : public CBannerDlg {
  public:
    explicit CWaitMsgDlg(QWidget* parent = nullptr);
};

class CLoadingDlg : public CBannerDlg {
  public:
    explicit CLoadingDlg(QWidget* parent = nullptr);

    CPictureEx* Picture() const { return picture_; }

  protected:
    // The user cannot close it: Escape and close requests do nothing; its owner hides it.
    void reject() override {}
    void closeEvent(QCloseEvent* event) override;

  private:
    CPictureEx* picture_;
};

}  // namespace orvane
