#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Lets one running program at a time use the files of a program folder. The lock is an
// flock() on "vaultine.lock", which the kernel releases when its program dies in any way.
class ProgramLock
{
public:
    enum class Result { Acquired, HeldByLiveProgram, Unavailable };
    // How long a second program waits for the first to end (a restart overlaps the old run).
    static constexpr int usualWait = 5000;

    explicit ProgramLock(const QString &dataFolder);
    ~ProgramLock();
    ProgramLock(const ProgramLock &) = delete;
    ProgramLock &operator=(const ProgramLock &) = delete;

    // Waits up to the given time for a running program to end. Unavailable: the lock file
    // cannot be opened or locked (a missing or read-only folder).
    Result acquire(int waitMilliseconds);

private:
    // No value when the file was removed or replaced by a program releasing it meanwhile.
    std::optional<Result> tryAcquire();

    QByteArray m_path;
    int m_fd = -1;
};
