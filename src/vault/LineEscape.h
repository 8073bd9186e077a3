#pragma once

#include <QByteArray>

#include <optional>

// Keeps an enciphered line on one line of its file: CR, LF and the escape byte itself are
// written as the escape byte followed by a letter. A line without those bytes is unchanged.
QByteArray escapeLine(const QByteArray &line);
// No value when the line holds an escape that escapeLine() never writes.
std::optional<QByteArray> unescapeLine(const QByteArray &line);
