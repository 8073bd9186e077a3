#include "WindowLock.h"

#include "ConfigFile.h"
#include "KeptKey.h"
#include "vault/Database.h"
#include "vault/VaultAccess.h"

#include <QEvent>

namespace {

// A master password guards the records: it can open a locked window.
bool guarded(const VaultAccess &access)
{
    return access.sealed()
        || (access.reach != QLatin1String("0") && !access.databaseKey.isEmpty()
            && access.databaseKey != ConfigFile::unsetMark);
}

} // namespace

WindowLock::WindowLock(Database &database, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_database(database)
    , m_idle(clock)
{
    connect(&m_idle, &Countdown::expired, this, &WindowLock::lock);
}

void WindowLock::levelChanged()
{
    if (!guarded(m_database.access()))
        enter(State::Unguarded);
    else if (m_state == State::Unguarded)
        enter(State::Open);
}

void WindowLock::setIdleMinutes(int minutes)
{
    m_idleMilliseconds = qint64(minutes) * 60'000;
    if (m_state == State::Open)
        m_idle.start(m_idleMilliseconds);
}

void WindowLock::input()
{
    if (m_state == State::Open)
        m_idle.restart();
}

void WindowLock::lock()
{
    if (m_state == State::Open)
        enter(State::Locked);
}

void WindowLock::unlock()
{
    if (m_state == State::Locked)
        enter(State::Open);
}

void WindowLock::enter(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    // Locked, the records need the master password again, from the command line too.
    if (state == State::Locked)
        KeptKey(m_database.programFolder()).forget();
    m_idle.start(state == State::Open ? m_idleMilliseconds : 0);
    emit stateChanged(state);
}

PasswordCheck::Test WindowLock::passwordTest() const
{
    const VaultAccess &access = m_database.access();
    if (!access.sealed())
        return PasswordCheck::equalTo(access.databaseKey);
    return [this](const QString &entry) {
        return m_database.trySealed(entry) == SealedFile::Status::Opened;
    };
}

bool WindowLock::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        input();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
