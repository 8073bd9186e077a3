#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// The lines of the enciphered file: each holds one coded line enciphered with the database key
// (CipherText, the key starting again at its first byte on every line) and escaped (escapeLine),
// so that it stays one line. A byte order mark at the start of the file is a byte of its first
// line.
namespace EncipheredLines {

// The line of the file that holds the coded line; none when the key is empty and the line is not.
std::optional<QByteArray> encipher(const QByteArray &coded, const QByteArray &key);
// The coded line that a line of the file holds; none when it holds an escape that is never
// written, or when the key is empty and the line is not.
std::optional<QByteArray> decipher(const QByteArray &line, const QByteArray &key);
// The file's content: the coded lines enciphered, each ended by CR LF; none when one of them
// does not encipher.
std::optional<QByteArray> fileContent(const QList<QByteArray> &coded, const QByteArray &key);

} // namespace EncipheredLines
