#include "RecordBrowser.h"

#include "ServiceListModel.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"

// The conflict copies that sync tools leave beside the records, brought into them.

void RecordBrowser::mergeConflictCopies()
{
    Database &database = m_editor.database();
    m_editor.readAgainWhenChanged();
    QStringList told, merged;
    for (const QString &copy : database.conflictCopies()) {
        if (merged.contains(copy))
            continue;
        // A sealed copy under another master password is merged with vaultine-cli.
        const std::optional<Database::CopyMerge> taken = database.mergeOfCopy(
            m_records.book().records(), copy, [] { return std::optional<QString>(); });
        if (!taken) {
            told.append(database.failure());
            continue;
        }
        const RecordMerge &merge = taken->merge;
        if (!run([&] { return m_editor.takeMerge(merge); }))
            break;
        merged += taken->copies;
        told.append(QStringLiteral("%1: %2 added, %3 removed.")
                        .arg(taken->copies.join(QStringLiteral(", ")))
                        .arg(merge.added().size())
                        .arg(merge.removed().size()));
        for (const QStringList &versions : merge.changedOnBothSides())
            told.append(QStringLiteral("  %1 was changed on both sides: %2 versions kept.")
                            .arg(RecordLine::recordFields(versions.first()).at(RecordLine::Service))
                            .arg(versions.size()));
        for (const QString &name : taken->copies) {
            if (!database.setAsideMerged(name))
                told.append(QStringLiteral("  %1 could not be set aside: %2")
                                .arg(name, database.failure()));
        }
    }
    if (!told.isEmpty())
        m_platform.messages.showMessage(
            QStringLiteral("Vaultine"), told.join(u'\n'), MessageBoxes::Icon::Information);
}
