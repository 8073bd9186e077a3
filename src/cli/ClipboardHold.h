#pragma once

#include <QString>

#include <chrono>

// Keeps a text on the desktop's clipboard while the program waits: until another program
// takes the clipboard or the time is over, when the clipboard is emptied if it still holds
// that text. Needs a QGuiApplication.
class ClipboardHold
{
public:
    enum class End { Taken, TimeOver };

    static End hold(const QString &text, bool secret, std::chrono::milliseconds time);
};
