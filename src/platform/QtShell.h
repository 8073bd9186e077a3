#pragma once

#include "Shell.h"

class QtShell : public Shell
{
public:
    void open(const QString &target) override;
};
