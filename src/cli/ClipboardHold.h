#pragma once

#include <QByteArray>
#include <QString>

class Console;

// A text on the desktop's clipboard, marked secret for clipboard managers and stamped as this
// copy, held by a process of its own so that the terminal is free at once. At the deadline the
// clipboard is emptied if it still holds that text as this copy or unmarked (a clipboard
// manager that took it over), and again, a few times, when a clipboard manager puts it back.
// A later copy of the same text (another stamp, or marked secret by another program) starts
// the time anew: this hold steps aside for good without emptying anything.
namespace ClipboardHold {

// The hidden command line of the holding process: this program, marker, seconds.
inline constexpr char marker[] = "--hold-clipboard";
// How long a copy stays by default.
inline constexpr int usualSeconds = 45;

// Starts the holding process and returns once the text is on the clipboard or could not be
// put there (told); with wait, once the clipboard has been emptied (false when it could not
// be, told), counting down on standard error.
bool start(const QByteArray &text, int seconds, bool wait, const Console &console);

// The holding process: the text comes on standard input; one line on standard output tells
// that it is on the clipboard (empty) or why not. Ends with status 1, said on standard error,
// when the text is still on the clipboard at the end.
int serve(int &argc, char **argv);

} // namespace ClipboardHold
