// CCustomMsgDlg: the program's own modal message box (dark, with picture buttons). Shown through
// ShowCustomMessage, which keeps to one box at a time. GUI thread only.
#pragma once

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <map>

class QLabel;

namespace orvane {

class CImageButton;

// Results, in the conventions of the system message box.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class CCustomMsgDlg : public QDialog {
  public:
    // `type`: 0 OK; 3 Yes, No, Cancel; 4 Yes, No; anything else no button but the close button.
    CCustomMsgDlg(const QString& text, const QString& caption, int type, QWidget* parent = nullptr);

    // Runs the box modally; 1 OK, 6 Yes, 7 No, 2 Cancel, Escape or the close button.
    int DoModal();

    int Type() const { return type_; }
    const QString& Text() const { return text_; }
    const QString& Caption() const { return caption_; }
    // The buttons by their dialog ids: 1 OK, 2 Cancel, 1246 Yes, 1247 No, 1628 close.
    CImageButton* Button(int id) const;
    // Where the message text is drawn (for checks of the layout).
    QRect TextRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

  private:
    void Layout();
    CImageButton* MakeButton(int normal, int hover, int disabled, int checked, int result);
    // The button Enter presses: the first one shown.
    CImageButton* DefaultButton() const;
    QPixmap& Picture(int id, const QRect& rect);

    QString text_;
    QString caption_;
    int type_;
    QFont captionFont_;
    QFont textFont_;
    QLabel* captionLabel_ = nullptr;
    CImageButton* ok_ = nullptr;
    CImageButton* cancel_ = nullptr;
    CImageButton* yes_ = nullptr;
    CImageButton* no_ = nullptr;
    CImageButton* close_ = nullptr;
    std::map<int, QPixmap> pictures_;  // made on the first paint and kept
};

}  // namespace orvane
