#pragma once

#include <cstdio>

// The console the command-line answers go to. On Linux a terminal is what
// isatty() says and the streams need nothing; Windows needs each of these.
namespace Console {

// True when `stream` is a terminal or console window, not a file, a pipe
// or the null device (which Windows also counts as a character device).
bool isTerminal(std::FILE* stream);

// Writes `stream` byte for byte: Windows would turn each "\n" into "\r\n",
// and a CSV's "\r\n" into "\r\r\n".
void setBinary(std::FILE* stream);

// Lets "\r\033[K" clear the line on a Windows console as on a terminal.
void enableEscapes(std::FILE* stream);

// For a window program on Windows, which has no console of its own: sends
// stdout and stderr to the console it was started from. False when there
// is none (started from Explorer or a shortcut). True elsewhere.
bool attachToParent();

} // namespace Console
