#pragma once

#include "Shell.h"

class QtShell : public Shell
{
public:
    bool open(const QString &target) override;
};
