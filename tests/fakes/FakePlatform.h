#pragma once

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProcessStarter.h"
#include "platform/ProgramEnd.h"
#include "platform/Shell.h"
#include "platform/TemporaryFolder.h"
#include "platform/TopMostSwitch.h"

#include <QList>
#include <QStringList>

// Desktop services that tests observe and answer instead of the real desktop.

struct ShownMessage
{
    QString title;
    QString text;
    MessageBoxes::Icon icon;
    QString detail;
};

class FakeMessageBoxes : public MessageBoxes
{
public:
    using MessageBoxes::showMessage;
    void showMessage(
        const QString &title, const QString &text, Icon icon, const QString &detail) override
    {
        shown.append({title, text, icon, detail});
    }
    QList<ShownMessage> shown;
};

class FakeClipboard : public Clipboard
{
public:
    void clear() override
    {
        content.clear();
        secret = false;
    }
    void setText(const QString &text, bool isSecret) override
    {
        content = text;
        secret = isSecret;
    }
    QString text() const override { return content; }

    QString content;
    bool secret = false;
};

class FakeShell : public Shell
{
public:
    bool open(const QString &target) override
    {
        opened.append(target);
        return opens;
    }
    QStringList opened;
    bool opens = true; // false: no program opens anything
};

class FakeTopMostSwitch : public TopMostSwitch
{
public:
    void setTopMost(QWidget *, bool topMost) override { calls.append(topMost); }
    QList<bool> calls;
};

class FakeTemporaryFolder : public TemporaryFolder
{
public:
    explicit FakeTemporaryFolder(const QString &folder = {})
        : path(folder)
    { }
    QString LocateSpecialFolder() const override { return path; }
    QString path;
};

class FakeProcessStarter : public ProcessStarter
{
public:
    bool startProgram(const QString &path) override
    {
        started.append(path);
        return !fails;
    }
    QStringList started;
    bool fails = false; // as when the program file is gone
};

class FakeClock : public Clock
{
public:
    QString today() const override { return date; }
    QTime timeOfDay() const override { return time; }
    qint64 milliseconds() const override { return steady; }
    QString date = QStringLiteral("01-15-2024");
    QTime time = QTime(12, 0);
    qint64 steady = 0;
};

class FakeProgramEnd : public ProgramEnd
{
public:
    void endProgram() override { ++calls; }
    int calls = 0;
};

// Every fake at once, handed to the windows as their platform.
struct FakePlatform
{
    explicit FakePlatform(const QString &temporaryPath = {})
        : temporaryFolder(temporaryPath)
    { }

    FakeClipboard clipboard;
    FakeShell shell;
    FakeTopMostSwitch topMost;
    FakeTemporaryFolder temporaryFolder;
    FakeProcessStarter processStarter;
    FakeClock clock;
    FakeMessageBoxes messages;
    FakeProgramEnd programEnd;
    Platform platform {
        clipboard, shell, topMost, temporaryFolder, processStarter, clock, messages, programEnd};
};
