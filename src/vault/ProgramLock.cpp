#include "ProgramLock.h"

ProgramLock::ProgramLock(const QString &dataFolder)
    : m_lock(dataFolder + QStringLiteral("/vaultine.lock"))
{
    // Only a lock whose program is gone is stale, however long a program runs.
    m_lock.setStaleLockTime(0);
}

bool ProgramLock::acquire(int waitMilliseconds)
{
    return m_lock.tryLock(waitMilliseconds);
}
