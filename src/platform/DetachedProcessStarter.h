#pragma once

#include "ProcessStarter.h"

class DetachedProcessStarter : public ProcessStarter
{
public:
    bool startProgram(const QString &path) override;
};
