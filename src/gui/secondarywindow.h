#pragma once

class QWidget;

// What the options, about and users windows share as windows of their own
// beside the main window.
namespace SecondaryWindow {

// Moves `window` so that it stands centred over `anchor`, kept inside the
// anchor's screen so that its title bar can be reached.
void centreOver(QWidget* window, const QWidget* anchor);

// Escape closes `window` (its close event decides what closing means).
void closeOnEscape(QWidget* window);

} // namespace SecondaryWindow
