#pragma once

#include <QLockFile>
#include <QString>

// Lets one running program at a time use the files of a program folder.
class ProgramLock
{
public:
    explicit ProgramLock(const QString &dataFolder);
    // Waits up to the given time for a running program to end; a lock left by a program
    // that died is taken over.
    bool acquire(int waitMilliseconds);

private:
    QLockFile m_lock;
};
