#pragma once

#include "ProgramEnd.h"

class ImmediateProgramEnd : public ProgramEnd
{
public:
    [[noreturn]] void endProgram() override;
};
