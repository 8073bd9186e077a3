#include "RecordEditor.h"

#include "ServiceListModel.h"
#include "intl/Message.h"
#include "vault/Database.h"
#include "vault/RecordLine.h"

#include <algorithm>

namespace {

bool holdsSeparator(const QStringList &fields)
{
    return std::any_of(fields.begin(), fields.end(),
        [](const QString &field) { return field.contains(RecordLine::separator); });
}

} // namespace

const Message *RecordEditor::messageFor(Result result)
{
    static const std::pair<Result, Message> messages[] = {
        {Result::Duplicate,
            {"Vaultine", "There is an identical record already filed",
                MessageBoxes::Icon::Information, 68}},
        {Result::NoChange,
            {"Vaultine", "There were no changes", MessageBoxes::Icon::Information, 72}},
        {Result::SeparatorInField,
            {"Vaultine",
                "A field can not hold \":!\", the mark that separates the fields of a record.",
                MessageBoxes::Icon::Information}},
        {Result::WriteFailed,
            {"Disk Error - i66", "Can not access the DataBase.", MessageBoxes::Icon::Stop}},
        {Result::ChangedElsewhere,
            {"Vaultine",
                "Another Vaultine program changed the records since they were listed. They are "
                "listed again as they are now: choose the record and try again.",
                MessageBoxes::Icon::Information}},
    };
    for (const auto &[refused, message] : messages) {
        if (refused == result)
            return &message;
    }
    return nullptr;
}

RecordEditor::RecordEditor(ServiceListModel &records, Database &database)
    : m_records(records)
    , m_database(database)
{ }

QString RecordEditor::failure(Result result) const
{
    return result == Result::WriteFailed ? m_database.failure() : QString();
}

bool RecordEditor::readAgainWhenChanged()
{
    std::optional<Database::Records> records = m_database.recordsChangedElsewhere();
    if (records)
        m_records.setBook(std::move(records->book));
    return records.has_value();
}

bool RecordEditor::isSelection(qsizetype index) const
{
    return index >= 0 && index < m_records.book().count();
}

RecordEditor::Result RecordEditor::addRecord(const QStringList &fields)
{
    if (holdsSeparator(fields))
        return Result::SeparatorInField;
    const QString line = RecordLine::join(fields);
    readAgainWhenChanged();
    if (m_records.book().indexOf(line) >= 0)
        return Result::Duplicate;
    if (!m_database.AppendRecord(line))
        return Result::WriteFailed;
    m_records.insert(line);
    return Result::Done;
}

RecordEditor::Result RecordEditor::replaceRecord(qsizetype selectedIndex, const QStringList &fields)
{
    if (holdsSeparator(fields))
        return Result::SeparatorInField;
    const QString line = RecordLine::join(fields);
    if (m_records.book().indexOf(line) >= 0)
        return Result::NoChange;
    if (!isSelection(selectedIndex))
        return Result::NothingSelected;
    if (readAgainWhenChanged())
        return Result::ChangedElsewhere;
    RecordBook next = m_records.book();
    next.removeAt(selectedIndex);
    next.insert(line);
    return rewrite(std::move(next));
}

RecordEditor::Result RecordEditor::removeRecord(qsizetype selectedIndex)
{
    if (!isSelection(selectedIndex))
        return Result::NothingSelected;
    if (readAgainWhenChanged())
        return Result::ChangedElsewhere;
    RecordBook next = m_records.book();
    next.removeAt(selectedIndex);
    return rewrite(std::move(next));
}

RecordEditor::Result RecordEditor::importRecords(const QStringList &lines)
{
    readAgainWhenChanged();
    return rewrite(RecordBook(m_records.book().records() + lines));
}

RecordEditor::Result RecordEditor::takeMerge(const RecordMerge &merge)
{
    return rewrite(
        RecordBook(merge.records()),
        [&](RemovalList &removals, qint64) { removals = merge.removals(); },
        Database::ListFirst::Always);
}

RecordEditor::Result RecordEditor::rewrite(RecordBook next)
{
    const RecordBook::Difference difference = RecordBook::difference(m_records.book(), next);
    return rewrite(std::move(next), [&](RemovalList &removals, qint64 today) {
        removals.rewrite(difference.removed, difference.added, today);
    });
}

RecordEditor::Result RecordEditor::rewrite(
    RecordBook next, const Database::RemovalChange &change, Database::ListFirst listFirst)
{
    if (!m_database.RewriteDatabase(next, change, listFirst))
        return Result::WriteFailed;
    m_records.setBook(std::move(next));
    return Result::Done;
}
