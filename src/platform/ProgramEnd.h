#pragma once

// Ends the program at once: no further events, nothing written.
class ProgramEnd
{
public:
    virtual ~ProgramEnd() = default;
    virtual void endProgram() = 0;
};
