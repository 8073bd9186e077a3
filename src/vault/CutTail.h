#pragma once

#include <QByteArrayView>
#include <QString>

class Clock;
class DataFolder;

// The end of a file of lines that a write cut short. Every line the program writes ends with
// CR LF, so what follows the last line end is no record: a line without its end, or the zero
// bytes that a power cut leaves where a file's new size reached the disk before its data. A
// line that ends with its CR is whole: no line holds a CR, so only the LF is missing.
namespace CutTail {

// The length of the content's whole lines: all of it when nothing is cut.
qsizetype wholeLength(QByteArrayView content);

enum class Kind {
    Whole, // nothing cut, or the file missing or unreadable (the write that follows fails)
    SetAside, // kept in a file of its own, then left out of the file
    Left, // still at the end of the file, which is not written
    Unread, // the file ends cut but could not be read whole, or the write lock was not taken
};
struct Outcome
{
    Kind kind = Kind::Whole;
    QString detail; // SetAside: where the bytes are kept; otherwise the file and, for a failed
                    // step, its reason
};

// The cut end of the file in the folder, when it has one: with mayWrite written to a new file
// named after the file with ".cut-" and the clock's date and time (mode 0600, synced), then
// the file written again without it; only under the folder's write lock. When the copy fails,
// the file keeps its bytes; a copy once written stays.
Outcome keep(const DataFolder &folder, const QString &name, const Clock &clock, bool mayWrite);

} // namespace CutTail
