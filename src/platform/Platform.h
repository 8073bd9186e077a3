#pragma once

class Clipboard;
class Clock;
class MessageBoxes;
class ProcessStarter;
class ProgramEnd;
class Shell;
class TemporaryFolder;
class TopMostSwitch;

// The desktop services the windows use; tests hand in fakes.
struct Platform
{
    Clipboard &clipboard;
    Shell &shell;
    TopMostSwitch &topMost;
    TemporaryFolder &temporaryFolder;
    ProcessStarter &processStarter;
    Clock &clock;
    MessageBoxes &messages;
    ProgramEnd &programEnd;
};
