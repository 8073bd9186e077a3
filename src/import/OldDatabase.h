#pragma once

#include <QStringList>

#include <optional>

// The database of the program's former version: "CFDB.pdb" in the program folder, one
// coded line a record, its parts separated by single colons.
namespace OldDatabase {

// A decoded former line as a record line: each part before a colon becomes a field, and the
// last part (a web address too) goes into Path, so S:U:P:X gives S:!U:!P:!:!X.
QString convertLine(const QString &decoded);

// The records of the former database of the program folder, blank lines passed over; none
// when there is no such file or it cannot be read.
std::optional<QStringList> readRecords(const QString &programFolder);

} // namespace OldDatabase
