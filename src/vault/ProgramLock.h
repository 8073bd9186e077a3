#pragma once

#include "DataFolder.h"

#include <QString>

// Locks on "vaultine.lock" in a program folder's "Data": one window at a time holds the run
// lock for its whole run, and every write holds the write lock for the write alone, so that the
// command line writes while a window is open and no two programs write at once. The locks are
// open file description locks on two bytes of the file, which the kernel releases when their
// program dies in any way; the file stays, holding nothing.
class ProgramLock
{
public:
    enum class Scope { Run, Write };
    enum class Result {
        Acquired,
        HeldByLiveProgram,
        Unavailable, // the lock file cannot be opened or locked in a folder that can be written
        NothingWritable, // the folder cannot be written: no lock is needed
    };
    // How long a program waits for another to let go (a restart overlaps the old run).
    static constexpr int usualWait = 5000;
    static inline const QString fileName = QStringLiteral("vaultine.lock");

    ProgramLock(const QString &dataFolder, Scope scope);
    ~ProgramLock();
    ProgramLock(const ProgramLock &) = delete;
    ProgramLock &operator=(const ProgramLock &) = delete;

    // Waits up to the given time for another program to let go.
    Result acquire(int waitMilliseconds);
    // Why the lock is Unavailable: the file, the system's reason and what to do.
    QString failure() const { return m_failure; }

private:
    Result tryAcquire();

    DataFolder m_folder;
    Scope m_scope;
    int m_fd = -1;
    QString m_failure;
};
