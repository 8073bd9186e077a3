#pragma once

#include <QCommandLineParser>
#include <QStringList>

class Console;

// What a command is run with: its parsed command line and the terminal.
struct Invocation
{
    const QCommandLineParser &parser;
    QStringList arguments; // the positional arguments after the command's name
    Console &console;
    QString programFolder;
    bool passwordFromStdin = false;
};
