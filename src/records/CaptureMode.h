#pragma once

#include <QObject>
#include <QTimer>

class Clipboard;

// Capture from other programs: while on, the clipboard's text goes into one field, the
// capture target, at every tick of Timer2. The check mark of "&Capture" is its state:
// Off, Capturing (mark and timer), or MarkedOnly (mark without timer, after Ctrl was
// released in a field); a second click on the menu item is then needed to capture.
class CaptureMode : public QObject
{
    Q_OBJECT

public:
    enum class State { Off, Capturing, MarkedOnly };
    enum class Event { MenuClick, CtrlReleased, Reset };

    explicit CaptureMode(Clipboard &clipboard, QObject *parent = nullptr);

    State state() const { return m_state; }
    bool isMarked() const { return m_state != State::Off; }
    int captureIndex() const { return m_captureIndex; }

    void handle(Event event);
    // A field entered while the mark is set becomes the target, and the clipboard is emptied.
    void enterField(int index);

signals:
    void markChanged(bool marked);
    void tick();

private:
    Clipboard &m_clipboard;
    State m_state = State::Off;
    int m_captureIndex = 0;
    QTimer m_timer2;
};
