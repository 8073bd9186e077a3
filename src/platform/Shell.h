#pragma once

#include <QString>

// Hands a web address or a file to the program the desktop opens it with.
class Shell
{
public:
    virtual ~Shell() = default;
    // False when there is no program to open it with.
    virtual bool open(const QString &target) = 0;
};
