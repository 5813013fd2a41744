#pragma once

#include <QColor>

class QFrame;
class QWidget;

// The colour scheme every window of the program shares: dark blue windows and
// frames, light grey labels and frame captions, teal text boxes and lists.
namespace Palette {

inline constexpr QColor windowBackground{0, 0, 64};
inline constexpr QColor labelText{224, 224, 224};
inline constexpr QColor fieldBackground{0, 64, 64};
inline constexpr QColor fieldText{0, 192, 192};
inline constexpr QColor separatorLine{192, 192, 192};
// Rows of servers that did not answer.
inline constexpr QColor silentText{128, 128, 128};

// Where the system's style draws parts of the windows in its own colours
// whatever the palette says (Windows' "windowsvista" draws frame captions
// dark and text boxes white), the program takes Qt's Fusion style, which
// honours it. Call once the application exists.
void chooseStyle();

// Gives the window and every child it has or will get the colour scheme.
// Buttons keep the style's own colours.
void applyTo(QWidget* window);

// The window layouts were drawn for a small 8-point face; a 7.5-point font
// keeps every caption inside its rectangle.
void applyLayoutFont(QWidget* window);

// Turns a QFrame into a plain light grey separator line (HLine or VLine).
void makeSeparator(QFrame* line);

} // namespace Palette
