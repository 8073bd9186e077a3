#include "Database.h"

#include "LineFile.h"
#include "RecordCodec.h"
#include "RecordLine.h"
#include "VaultAccess.h"

#include <QDateTime>

#include <QRegularExpression>
#include <algorithm>

// What the folder knows of its copies on other machines: the list of removals that travels
// with it, and the conflict copies a sync tool left beside its files.

std::optional<QByteArray> Database::removalSecret()
{
    if (m_access.sealed() && !m_sealKey)
        return std::nullopt;
    const QByteArray secret = m_access.sealed() ? removalSecretOf(*m_sealKey)
        : m_access.enciphered()                 ? databaseKey()
                                                : QByteArray();
    if (m_access.enciphered() && secret.isEmpty())
        return std::nullopt;
    return secret;
}

std::optional<RemovalList> Database::removals(const QString &name)
{
    return removalsOf(m_folder.read(name, qint64(16) << 20), name);
}

std::optional<RemovalList> Database::removalsOf(
    const DataFolder::Content &file, const QString &name)
{
    if (file.status == DataFolder::Status::Failed)
        return std::nullopt;
    const std::optional<QByteArray> secret = removalSecret();
    if (!secret) {
        m_failure = m_folder.path() + u'/' + name
            + QStringLiteral(": the key of the records is not known.");
        return std::nullopt;
    }
    std::optional<RemovalList> list = RemovalList::fromContent(file.bytes, *secret);
    if (!list)
        m_failure = m_folder.path() + u'/' + name
            + QStringLiteral(": it is not a list of removals (move it away to start a new one).");
    return list;
}

std::optional<Database::RemovalWrite> Database::changedRemovals(const RemovalChange &change)
{
    const DataFolder::Content file = m_folder.read(RemovalList::fileName, qint64(16) << 20);
    std::optional<RemovalList> list = removalsOf(file, RemovalList::fileName);
    if (!list)
        return std::nullopt;
    const RemovalList before = *list;
    const qint64 today = RemovalList::today(*m_clock);
    if (change)
        change(*list, today);
    // No file is made for a list that holds nothing.
    const QByteArray after = list->content(today);
    return RemovalWrite {after != file.bytes && !(file.bytes.isEmpty() && list->isEmpty()),
        list->addsAgainSince(before), after};
}

bool Database::writeRemovals(const RemovalWrite &removals)
{
    return !removals.changes || m_folder.write(RemovalList::fileName, removals.content);
}

bool Database::changeRemovals(const RemovalChange &change)
{
    const std::optional<RemovalWrite> removals = changedRemovals(change);
    return removals && writeRemovals(*removals);
}

bool Database::carryRemovals(const QByteArray &newSecret, const std::function<bool()> &change)
{
    const DataFolder::Content before = m_folder.read(RemovalList::fileName, qint64(16) << 20);
    if (before.status == DataFolder::Status::Missing)
        return change();
    if (!changeRemovals([&](RemovalList &removals, qint64) {
            removals.addSecret(newSecret);
            removals.renewKey();
        }))
        return false;
    if (!change()) {
        // As it was, if it can be, when the change left everything as it was.
        if (!m_conversionUnfinished)
            m_folder.write(RemovalList::fileName, before.bytes);
        return false;
    }
    // Written under the new secret alone; until then it opens under both.
    changeRemovals({});
    return true;
}

QStringList Database::conflictCopies() const
{
    // Sync tools name a copy after the file with "conflict" in some letter case.
    static const QRegularExpression copy(
        QStringLiteral("^CF2DB.*conflict"), QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    for (const QString &name : m_folder.names()) {
        if (copy.match(name).hasMatch() && !name.contains(QLatin1String(".merged-")))
            found.append(name);
    }
    // Copies of the list first: a line one added again is live before its records come in.
    std::sort(found.begin(), found.end(), [](const QString &a, const QString &b) {
        return isListCopy(a) != isListCopy(b) ? isListCopy(a) : a < b;
    });
    return found;
}

bool Database::isListCopy(const QString &name)
{
    return name.endsWith(QLatin1String(".removed"));
}

std::optional<QStringList> Database::recordsOfCopy(
    const QString &name, const std::function<std::optional<QString>()> &password)
{
    const QString kind = name.section(u'.', -1);
    const Source source = kind == QLatin1String("edb") ? Source::Enciphered
        : kind == QLatin1String("sdb")                 ? Source::Sealed
                                                       : Source::Coded;
    if (kind != QLatin1String("pdb") && source == Source::Coded) {
        m_failure = m_folder.path() + u'/' + name
            + QStringLiteral(": it is not a copy of a file of records or removals.");
        return std::nullopt;
    }
    LineFile::ReadResult file
        = readCodedLines(source, source == Source::Enciphered ? databaseKey() : QByteArray(), name);
    // A sealed copy under another key (sealed again elsewhere, or before a change of password)
    // opens with its password.
    const DataFolder::Content sealed
        = source == Source::Sealed && file.status != LineFile::ReadStatus::Read
        ? m_folder.read(name)
        : DataFolder::Content {DataFolder::Status::Failed, {}};
    const std::optional<SealedFile::Header> header = SealedFile::readHeader(sealed.bytes);
    const std::optional<QString> entry
        = header && m_sealKey && header->salt != m_sealKey->salt() ? password() : std::nullopt;
    if (entry) {
        SealedFile::Opened opened = SealedFile::openBytes(sealed.bytes, *entry);
        if (opened.status == SealedFile::Status::Opened)
            file = {LineFile::ReadStatus::Read,
                LineFile::linesOf(opened.content, LineFile::ByteOrderMark::Keep)};
    }
    if (file.status == LineFile::ReadStatus::Read)
        return RecordLine::linesFromBytes(
            DecodeRecord(LineFile::joined(file.lines)), LineFile::ByteOrderMark::Keep);
    m_failure = !file.failure.isEmpty() ? file.failure
        : !m_folder.failure().isEmpty() ? m_folder.failure()
                                        : m_folder.path() + u'/' + name
            + QStringLiteral(": it does not open with the key of this folder's records.");
    return std::nullopt;
}

std::optional<Database::CopyMerge> Database::mergeOfCopy(const QStringList &records,
    const QString &name, const std::function<std::optional<QString>()> &password)
{
    // A copy of the records comes with every copy of the list beside it: the lines they added
    // again are live before its records come in. A copy of the list holds no records.
    QStringList copies {name};
    for (const QString &other : isListCopy(name) ? QStringList() : conflictCopies()) {
        if (isListCopy(other))
            copies.append(other);
    }
    const std::optional<RemovalList> ours = removals();
    const std::optional<QStringList> copy = !ours ? std::nullopt
        : isListCopy(name)                        ? std::optional(QStringList())
                                                  : recordsOfCopy(name, password);
    if (!copy)
        return std::nullopt;
    RemovalList theirs {QByteArray()};
    for (const QString &list : copies) {
        const std::optional<RemovalList> taken
            = isListCopy(list) ? removals(list) : std::optional(RemovalList(QByteArray()));
        if (!taken)
            return std::nullopt;
        theirs.takeAll(*taken);
    }
    return CopyMerge {RecordMerge({records, *ours}, {*copy, theirs}), copies};
}

bool Database::setAsideMerged(const QString &name) const
{
    return m_folder.rename(name,
        name + QDateTime::currentDateTime().toString(QStringLiteral(".'merged'-yyyyMMdd-HHmmss")));
}
