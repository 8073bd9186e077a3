#pragma once

#include <QByteArrayView>
#include <QString>

// The lines a merge tool (git) writes into a file where two sides differ: one starting with
// "<<<<<<<", "|||||||", "=======" or ">>>>>>>", then a space or its end. A line that holds the
// field separator is a record whose first field starts so, and is text.
namespace ConflictMarkers {

// The number (from 1) of the first marker line of the content; 0 when there is none.
qsizetype firstLine(QByteArrayView content, QByteArrayView separator);

// What a refusal of the file says: its path, the line and what to do.
QString refusal(const QString &path, qsizetype line);

} // namespace ConflictMarkers
