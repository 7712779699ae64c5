// The look shared by the login and password dialogs: dark client, header band, coloured text lines,
// and the Qt pieces they are made of. GUI thread only.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <initializer_list>
#include <map>
#include <utility>

class QLabel;
class QLineEdit;
class QPainter;
class QTimer;
class QWidget;

namespace orvane {

class CImageButton;

inline constexpr QColor kLabelTextColor{15, 142, 230};
inline constexpr QColor kEditTextColor{64, 163, 220};
inline constexpr QColor kEditBackColor{30, 29, 30};
inline constexpr QColor kPromptTextColor{221, 221, 221};
inline constexpr QColor kErrorTextColor{225, 56, 80};

// A static text line in `color` on a transparent background.
QLabel* MakeTextLine(QWidget* parent, const QString& text, const QColor& color, const QFont& font,
                     Qt::Alignment alignment);
// A flat edit field with the dialogs' colours.
QLineEdit* MakeEditField(QWidget* parent, const QFont& font, bool password);
// An image button with the same picture set for normal/hover/disabled/checked.
CImageButton* MakeDialogButton(QWidget* parent, int normal, int hover);
// Client fill, header band of floor(38 x scale) and its black lower line.
void PaintDialogFrame(QPainter& painter, const QWidget& window);
// Processes the GUI thread's events for `ms` milliseconds, user input included.
void PumpMessages(int ms);

// The frame of the login and password dialogs: borderless, topmost, dragged by the header band, a
// close button (1628) that cancels, Enter that runs OK, pictures drawn at their scaled rectangles,
// and the second raise to the top 500 ms after showing.
class CCaptionDialog : public QDialog {
  protected:
    explicit CCaptionDialog(QWidget* parent);

    // The close button; the subclass places it.
    CImageButton* closeButton() const { return close_; }
    // Starts (on showing) and stops (on closing) the timer that raises the dialog again.
    void StartTopmostTimer();
    void StopTopmostTimer();
    // Client frame plus the pictures (id, scaled rectangle), each kept at its drawn size.
    void PaintFrame(std::initializer_list<std::pair<int, QRect>> pictures);
    // The cached pictures are dropped when the layout changes.
    void ForgetPictures() { pictures_.clear(); }

    void keyPressEvent(QKeyEvent* event) override;

  private:
    CImageButton* close_ = nullptr;
    QTimer* topmostTimer_ = nullptr;
    std::map<int, QPixmap> pictures_;
};

}  // namespace orvane
