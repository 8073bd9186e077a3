#pragma once

#include <QByteArray>
#include <QString>

class Console;

// A text on the desktop's clipboard, held by a process of its own so that the terminal is
// free at once. At the deadline the clipboard is emptied if it still holds that text, whoever
// owns it by then (a clipboard manager that took the same text over too).
namespace ClipboardHold {

// The hidden command line of the holding process: this program, marker, seconds.
inline constexpr char marker[] = "--hold-clipboard";
// How long a copy stays by default.
inline constexpr int usualSeconds = 45;

// Starts the holding process and returns once the text is on the clipboard or could not be
// put there (told); with wait, once the clipboard has been emptied, counting down on
// standard error.
bool start(const QByteArray &text, int seconds, bool wait, const Console &console);

// The holding process: the text comes on standard input; one line on standard output tells
// that it is on the clipboard (empty) or why not.
int serve(int &argc, char **argv);

} // namespace ClipboardHold
