#pragma once

#include "ProgramEnd.h"

// Ends every running event loop, so that main() returns through the normal path: the
// windows are destroyed, the lock released, the clipboard handed to a clipboard manager.
class EventLoopProgramEnd : public ProgramEnd
{
public:
    void endProgram() override;
};
