#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

class CipherStream;
class RecordBook;

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
std::optional<QByteArray> decipher(const QByteArray &line, const CipherStream &key);
// The file's content: the coded lines enciphered, each ended by CR LF; none when one of them
// does not encipher.
std::optional<QByteArray> fileContent(const QList<QByteArray> &coded, const QByteArray &key);
std::optional<QByteArray> fileContent(const RecordBook &records, const QByteArray &key);

// Whether the content is that of an enciphered file rather than a coded one: a line of it
// lacks the coded field separator, which every line the program writes into the coded file
// holds and no line enciphered from ASCII text with an ASCII key can hold.
bool isEnciphered(QByteArrayView content);

struct Records
{
    QList<QByteArray> coded; // the non-empty lines deciphered
    qsizetype refusedLine = 0; // the number (from 1) of the first line that does not decipher
};
// The coded lines of the content, deciphered with a key that may not be the file's. A line
// deciphers when it gives a record as the program writes one: UTF-8 text holding the
// separators of the five fields. A line enciphered with another key rarely does, and one that
// does not refuses the content: no lines are given, only its number.
Records decipherRecords(QByteArrayView content, const QByteArray &key);

} // namespace EncipheredLines
