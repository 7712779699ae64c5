// The look shared by the login and password dialogs: dark client, header band, coloured text lines,
// and the Qt pieces they are made of. GUI thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QDialog;
class QLabel;
class QLineEdit;
class QPainter;
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

}  // namespace orvane
