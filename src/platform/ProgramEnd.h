#pragma once

// Ends the program at once: no further events, nothing written.
class ProgramEnd
{
public:
    virtual ~ProgramEnd() = default;
    // Returns; the caller's handler must do nothing more.
    virtual void endProgram() = 0;
};
