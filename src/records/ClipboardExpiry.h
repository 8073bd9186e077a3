#pragma once

#include "platform/Countdown.h"

#include <QObject>
#include <QString>

class Clipboard;
class Clock;

// The last record text the program copied. A copied password or username leaves the clipboard
// when its time is up, if the clipboard still holds it then; a new copy starts the time anew.
class ClipboardExpiry : public QObject
{
    Q_OBJECT

public:
    ClipboardExpiry(Clipboard &clipboard, const Clock &clock, QObject *parent = nullptr);
    // A program that ends leaves no timed copy for a clipboard manager to keep.
    ~ClipboardExpiry() override;

    // How long a timed copy stays; 0 keeps it.
    void setSeconds(int seconds) { m_seconds = seconds; }
    // The text just copied; timed: it goes when the time is up.
    void hold(const QString &text, bool timed);
    bool isTimed() const { return m_countdown.isRunning(); }
    // Looks at the clock, as the timer does when the time may be up.
    void check() { m_countdown.check(); }
    // Now: the clipboard is emptied if it still holds the copy.
    void expire();

signals:
    // The copy left the clipboard.
    void cleared();

private:
    Clipboard &m_clipboard;
    Countdown m_countdown;
    int m_seconds = 0;
    QString m_text;
};
