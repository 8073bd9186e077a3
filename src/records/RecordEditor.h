#pragma once

#include "vault/Database.h"
#include "vault/RecordBook.h"
#include "vault/RecordMerge.h"

#include <QStringList>

class ServiceListModel;
struct Message;

// Adds, replaces and removes records: the file is written first, and the lists take the
// change only when the write succeeded.
class RecordEditor
{
public:
    enum class Result {
        Done,
        Duplicate,
        NoChange,
        SeparatorInField,
        NothingSelected,
        WriteFailed,
        ChangedElsewhere, // the records were listed again as another program left them
    };

    RecordEditor(ServiceListModel &records, Database &database);

    // The message a refused command shows, or nullptr.
    static const Message *messageFor(Result result);
    // What failed, for a failed write: the file and the system's reason.
    QString failure(Result result) const;
    Database &database() const { return m_database; }

    // Appends one line to the file; never rewrites it.
    Result addRecord(const QStringList &fields);
    Result replaceRecord(qsizetype selectedIndex, const QStringList &fields);
    Result removeRecord(qsizetype selectedIndex);
    // Adds the records at their sorted places, duplicates too, and rewrites the file.
    Result importRecords(const QStringList &lines);
    // The records and removals of a merge, written in place of this folder's.
    Result takeMerge(const RecordMerge &merge);
    // True when the index names a record.
    bool isSelection(qsizetype index) const;

    // Lists the records again when another program changed the file; true when it did.
    bool readAgainWhenChanged();

private:
    // Writes the whole file from the changed list, then hands that list to the view.
    // What left the list is removed, what came back added again.
    Result rewrite(RecordBook next);
    Result rewrite(RecordBook next, const Database::RemovalChange &change,
        Database::ListFirst listFirst = Database::ListFirst::WhenAddedAgain);

    ServiceListModel &m_records;
    Database &m_database;
};
