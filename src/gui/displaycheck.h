#pragma once

// Whether this start can open a window at all, told from the environment
// before the application object exists (which aborts the program where it
// finds no display): on Linux a display named in DISPLAY or WAYLAND_DISPLAY
// for the platform Qt will use, or a platform that needs none.
namespace DisplayCheck {

bool available();

} // namespace DisplayCheck
