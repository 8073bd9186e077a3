#pragma once

#include "PasswordCheck.h"
#include "platform/Countdown.h"

#include <QObject>

class Clock;
class Database;

// When the main window locks. Only a master password can open a locked window again, so at
// the level "None" (or while the settings name no password) the window never locks. Open, it
// locks at the menu item, when the session locks the screen or goes to sleep, and after the
// idle minutes with no key or mouse input in the program (0: never). Locked, it opens again
// with the master password in force; a lock asked for then changes nothing. Locking forgets
// the key that vaultine-cli keeps for the folder.
class WindowLock : public QObject
{
    Q_OBJECT

public:
    enum class State { Unguarded, Open, Locked };

    WindowLock(Database &database, const Clock &clock, QObject *parent = nullptr);

    State state() const { return m_state; }
    bool isLocked() const { return m_state == State::Locked; }

    // The level in force may have changed (the records listed, the settings accepted).
    void levelChanged();
    void setIdleMinutes(int minutes);
    // A key or mouse input in the program: the idle time starts again.
    void input();
    // Looks at the clock, as the timer does when the idle time may be up.
    void checkIdle() { m_idle.check(); }
    // The menu item, the session's screen lock or sleep.
    void lock();
    // The master password was given: the window opens again.
    void unlock();
    // Whether an entry is the master password in force; at the sealed level, whether it opens
    // the sealed file (the slow step).
    PasswordCheck::Test passwordTest() const;

signals:
    void stateChanged(WindowLock::State state);

protected:
    // Watches the program's input (installed on the application).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void enter(State state);

    Database &m_database;
    Countdown m_idle;
    qint64 m_idleMilliseconds = 0;
    State m_state = State::Unguarded;
};
