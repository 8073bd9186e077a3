#pragma once

#include <QString>

// Starts a program as a new process that outlives this one.
class ProcessStarter
{
public:
    virtual ~ProcessStarter() = default;
    virtual bool startProgram(const QString &path) = 0;
};
