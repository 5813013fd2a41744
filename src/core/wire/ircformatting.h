#pragma once

#include <QString>

// Text as other clients format it, without the formatting: the mIRC codes for
// bold, colour (with its foreground and background digits), hex colour,
// reset, reverse, italic, underline, strike-through and monospace are
// removed. Text without any of them comes back as it is, uncopied.
QString stripIrcFormatting(const QString& text);
