#pragma once

// Who the program is by, as shown in the main window's caption and in the
// about box's title line.
inline constexpr auto authorCredit = "the Varnholt developers";
