#include "RecordBrowser.h"

#include "ServiceListModel.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"

// The conflict copies that sync tools leave beside the records, brought into them.

void RecordBrowser::mergeConflictCopies()
{
    Database &database = m_editor.database();
    m_editor.readAgainWhenChanged();
    QStringList told;
    for (const QString &copy : database.conflictCopies()) {
        // A sealed copy under another master password is merged with vaultine-cli.
        const std::optional<RecordMerge> merge = database.mergeOfCopy(
            m_records.book().records(), copy, [] { return std::optional<QString>(); });
        if (!merge) {
            told.append(database.failure());
            continue;
        }
        if (!run([&] { return m_editor.takeMerge(*merge); }))
            break;
        told.append(QStringLiteral("%1: %2 added, %3 removed.")
                        .arg(copy)
                        .arg(merge->added().size())
                        .arg(merge->removed().size()));
        for (const QStringList &versions : merge->changedOnBothSides())
            told.append(QStringLiteral("  %1 was changed on both sides: %2 versions kept.")
                            .arg(RecordLine::recordFields(versions.first()).at(RecordLine::Service))
                            .arg(versions.size()));
        if (!database.setAsideMerged(copy))
            told.append(QStringLiteral("  It could not be set aside: ") + database.failure());
    }
    if (!told.isEmpty())
        m_platform.messages.showMessage(
            QStringLiteral("Vaultine"), told.join(u'\n'), MessageBoxes::Icon::Information);
}
