#include "Database.h"

#include "CipherText.h"
#include "ConflictMarkers.h"
#include "EncipheredLines.h"
#include "LineFile.h"
#include "RecordCodec.h"
#include "RecordLine.h"
#include "VaultAccess.h"
#include "platform/SystemClock.h"

#include <QDateTime>

#include <algorithm>

Database::Database(const QString &programFolder, VaultAccess &access)
    : m_programFolder(programFolder)
    , m_folder(dataFolder())
    , m_access(access)
{
    static const SystemClock systemClock;
    m_clock = &systemClock;
}

QString Database::fileName(Source source)
{
    switch (source) {
    case Source::Coded:
        return QStringLiteral("CF2DB.pdb");
    case Source::Enciphered:
        return QStringLiteral("CF2DB.edb");
    case Source::Sealed:
        break;
    }
    return QStringLiteral("CF2DB.sdb");
}

void Database::EnsureDataFolder() const
{
    m_folder.create(dataFiles());
}

void Database::removeWriteLeftovers(const QString &temporaryFolder) const
{
    const auto removeLeftovers = [](const DataFolder &folder, const QString &file, auto writer) {
        for (const QString &name : folder.names()) {
            if (LineFile::isWriteLeftover(name, file, writer))
                folder.remove(name);
        }
    };
    for (const QString &file : dataFiles())
        removeLeftovers(m_folder, file, LineFile::Writer::Content);
    if (temporaryFolder.isEmpty())
        return;
    const DataFolder temporary(temporaryFolder);
    const QString workingCopy = QStringLiteral("mdb.tmp");
    removeLeftovers(temporary, workingCopy, LineFile::Writer::SaveFile);
    temporary.remove(workingCopy);
}

ProgramLock::Result Database::lockDataFolder(
    ProgramLock &lock, int waitMilliseconds, const QString &temporaryFolder)
{
    EnsureDataFolder();
    const ProgramLock::Result result = lock.acquire(waitMilliseconds);
    if (result == ProgramLock::Result::Acquired)
        prepareForWriting(temporaryFolder);
    return result;
}

void Database::prepareForWriting(const QString &temporaryFolder)
{
    EnsureDataFolder();
    // Under the write lock: what a write under way elsewhere has made is not a leftover.
    whileLocked([&] {
        removeWriteLeftovers(temporaryFolder);
        return true;
    });
}

QByteArray Database::databaseKey()
{
    if (m_access.databaseKey.isEmpty() && m_keyLoader)
        m_keyLoader();
    return RecordLine::toBytes(m_access.databaseKey);
}

LineFile::ReadResult Database::readCodedLines(
    Source source, const QByteArray &key, const QString &copy) const
{
    const QString name = copy.isEmpty() ? fileName(source) : copy;
    if (source == Source::Sealed) {
        const std::optional<QByteArray> content = sealedContent(name);
        if (!content)
            return {LineFile::ReadStatus::Failed, {}};
        return {
            LineFile::ReadStatus::Read, LineFile::linesOf(*content, LineFile::ByteOrderMark::Keep)};
    }
    const bool enciphered = source == Source::Enciphered;
    DataFolder::Content content = m_folder.read(name);
    content.bytes.truncate(CutTail::wholeLength(content.bytes)); // a cut end is no line
    LineFile::ReadResult file {content.status,
        LineFile::linesOf(content.bytes,
            enciphered ? LineFile::ByteOrderMark::Keep : LineFile::ByteOrderMark::Drop)};
    if (file.status == LineFile::ReadStatus::Read)
        file.failure = markerFailure(m_folder, name, content.bytes);
    if (!file.failure.isEmpty())
        return {LineFile::ReadStatus::Failed, {}, file.failure};
    if (!enciphered)
        return file;
    const CipherStream stream(key);
    for (QByteArray &line : file.lines) {
        const std::optional<QByteArray> plain = EncipheredLines::decipher(line, stream);
        if (!plain)
            return {LineFile::ReadStatus::Failed, {}};
        line = *plain;
    }
    return file;
}

bool Database::writeCodedLines(
    bool enciphered, const QList<QByteArray> &coded, const QByteArray &key) const
{
    if (!enciphered)
        return noted(
            Source::Coded, m_folder.write(fileName(Source::Coded), LineFile::fileContent(coded)));
    if (m_encipheredKept)
        return false;
    const std::optional<QByteArray> content = EncipheredLines::fileContent(coded, key);
    return content
        && noted(Source::Enciphered, m_folder.write(fileName(Source::Enciphered), *content));
}

QString Database::markerFailure(
    const DataFolder &folder, const QString &name, QByteArrayView content)
{
    const qsizetype line = ConflictMarkers::firstLine(content, EncodeRecord(":!"));
    return line == 0 ? QString() : ConflictMarkers::refusal(folder.path() + u'/' + name, line);
}

Database::Records Database::readRecords(const DataFolder &folder)
{
    const std::optional<DataFolder::Stamp> stamp = folder.stamp(fileName(Source::Coded));
    DataFolder::Content file = folder.read(fileName(Source::Coded));
    if (file.status == DataFolder::Status::Failed)
        return {{}, false, stamp, folder.failure()};
    file.bytes.truncate(CutTail::wholeLength(file.bytes)); // a cut end is no record
    if (QString failure = markerFailure(folder, fileName(Source::Coded), file.bytes);
        !failure.isEmpty())
        return {{}, false, stamp, failure};
    Records records {{}, true, stamp, {}};
    records.book.loadCoded(std::move(file.bytes));
    return records;
}

void Database::preloadRecords()
{
    // A folder of its own: the thread shares nothing with the program's.
    m_preload = std::async(
        std::launch::async, [path = dataFolder()] { return readRecords(DataFolder(path)); });
}

Database::Records Database::readEnciphered()
{
    const std::optional<DataFolder::Stamp> stamp = m_folder.stamp(fileName(Source::Enciphered));
    const LineFile::ReadResult file
        = readCodedLines(Source::Enciphered, RecordLine::toBytes(m_access.databaseKey));
    if (file.status == LineFile::ReadStatus::Failed)
        return {{}, false, stamp, file.failure.isEmpty() ? m_folder.failure() : file.failure};
    Records records {{}, true, stamp, {}};
    records.book.loadCoded(LineFile::joined(file.lines), LineFile::ByteOrderMark::Keep);
    return records;
}

Database::Records Database::LoadRecords(Source source)
{
    Records records;
    if (source == Source::Enciphered)
        records = readEnciphered();
    else if (source == Source::Sealed) { // an empty file opens too: no key, nothing read
        records = {{}, m_sealKey.has_value(), m_seen[Source::Sealed], {}};
        records.book.loadCoded(std::exchange(m_sealedContent, {}), LineFile::ByteOrderMark::Keep);
    } else
        records = m_preload.valid() ? m_preload.get() : readRecords(m_folder);
    if (!records.readWhole)
        m_rewriteRefused = true;
    noteSeen(source, records.stamp);
    return records;
}

std::optional<Database::Records> Database::recordsChangedElsewhere()
{
    const Source source = sourceInForce();
    if (!changedElsewhere(source) || !rewriteAllowed())
        return std::nullopt;
    Records records;
    if (source == Source::Sealed) {
        records.stamp = m_folder.stamp(fileName(source));
        const LineFile::ReadResult file = readCodedLines(source, {});
        records.readWhole = file.status == LineFile::ReadStatus::Read;
        records.book.loadCoded(LineFile::joined(file.lines), LineFile::ByteOrderMark::Keep);
    } else {
        records = source == Source::Enciphered ? readEnciphered() : readRecords(m_folder);
    }
    // A file gone or unreadable leaves the records listed; a rewrite then refuses.
    if (!records.readWhole || !records.stamp)
        return std::nullopt;
    noteSeen(source, records.stamp);
    return records;
}

Database::Source Database::sourceInForce() const
{
    return m_access.sealed() ? Source::Sealed
                             : (m_access.enciphered() ? Source::Enciphered : Source::Coded);
}

void Database::noteSeen(Source source, std::optional<DataFolder::Stamp> stamp) const
{
    m_seen[source] = stamp;
}

bool Database::changedElsewhere(Source source) const
{
    const auto seen = m_seen.find(source);
    return seen != m_seen.end() && seen->second != m_folder.stamp(fileName(source));
}

bool Database::whileLocked(const std::function<bool()> &write)
{
    if (m_lockDepth > 0)
        return write();
    m_failure.clear();
    m_folder.clearFailure();
    ProgramLock lock(dataFolder(), ProgramLock::Scope::Write);
    switch (lock.acquire(ProgramLock::usualWait)) {
    case ProgramLock::Result::HeldByLiveProgram:
        m_failure = dataFolder() + u'/' + ProgramLock::fileName
            + QStringLiteral(": another Vaultine program has been writing the records for a while; "
                             "nothing was written.");
        return false;
    case ProgramLock::Result::Unavailable:
        m_failure = lock.failure();
        return false;
    case ProgramLock::Result::Acquired:
    case ProgramLock::Result::NothingWritable:
        break;
    }
    ++m_lockDepth;
    const bool done = write();
    --m_lockDepth;
    return done;
}

bool Database::AppendRecord(const QString &line)
{
    if (m_conversionUnfinished || !keptFileSpared())
        return false;
    const QByteArray coded = EncodeRecord(RecordLine::toBytes(line));
    const Source source = sourceInForce();
    return whileLocked([&] {
        // Appending loses nothing; the records another program wrote are read again later. A
        // file moved away meanwhile (a change of level) is not made again beside the new one.
        const bool changed = changedElsewhere(source);
        if (changed && m_seen[source] && !m_folder.exists(fileName(source))) {
            m_failure = pathOf(source)
                + QStringLiteral(": another Vaultine program moved the records out of it after "
                                 "this one read it; nothing was written.");
            return false;
        }
        // A cut end is set aside first: appended to, it would become a record.
        const bool done = keepCutTail(source).kind == CutTail::Kind::Whole
            && changeRemovals(
                [&](RemovalList &removals, qint64 today) { removals.addAgain(line, today); })
            && (source == Source::Enciphered ? AppendEncipheredRecord(coded)
                    : source == Source::Sealed
                    ? AppendSealedRecord(coded)
                    : appendLine(source, coded, LineFile::ByteOrderMark::Drop));
        if (done && !changed)
            noteWritten(source);
        return done;
    });
}

bool Database::appendLine(Source source, const QByteArray &line, LineFile::ByteOrderMark mark) const
{
    return m_folder.append(fileName(source),
        [&](qint64 size, char last) { return LineFile::appendix(line, size, last, mark); });
}

// The whole file sealed anew with the line after the others.
bool Database::AppendSealedRecord(const QByteArray &coded)
{
    const std::optional<QByteArray> content = sealedContent(fileName(Source::Sealed));
    return content
        && sealContent(*content
            + LineFile::appendix(coded, content->size(), content->isEmpty() ? 0 : content->back(),
                LineFile::ByteOrderMark::Keep));
}

bool Database::AppendEncipheredRecord(const QByteArray &coded)
{
    const std::optional<QByteArray> line = EncipheredLines::encipher(coded, databaseKey());
    return line && appendLine(Source::Enciphered, *line, LineFile::ByteOrderMark::Keep);
}

bool Database::RewriteDatabase(
    const RecordBook &records, const RemovalChange &change, ListFirst listFirst)
{
    if (!rewriteAllowed() || !keptFileSpared())
        return false;
    const Source source = sourceInForce();
    return whileLocked([&] {
        if (changedElsewhere(source)) {
            m_failure = pathOf(source)
                + QStringLiteral(": another Vaultine program changed it after this one read it; "
                                 "nothing was written.");
            return false;
        }
        if (keepCutTail(source).kind != CutTail::Kind::Whole) // kept before it is written over
            return false;
        const std::optional<RemovalWrite> removals
            = change ? changedRemovals(change) : std::optional(RemovalWrite());
        const bool first = removals && (removals->addsAgain || listFirst == ListFirst::Always);
        if (!removals || (first && !writeRemovals(*removals)) || !noted(source, rewrite(records)))
            return false;
        // The records stand; a list that could not be written leaves this change's removals
        // unnoted.
        if (!first)
            writeRemovals(*removals);
        return true;
    });
}

bool Database::rewrite(const RecordBook &records)
{
    if (m_access.sealed())
        return sealContent(records.codedContent(LineFile::ByteOrderMark::Keep));
    if (!m_access.enciphered())
        return m_folder.write(fileName(Source::Coded), records.codedContent());
    const QByteArray key = databaseKey();
    const std::optional<QByteArray> content
        = key.isEmpty() ? std::nullopt : EncipheredLines::fileContent(records, key);
    return content && m_folder.write(fileName(Source::Enciphered), *content);
}

bool Database::keptFileSpared() const
{
    if (m_access.sealed())
        return !m_sealedKept;
    if (m_access.enciphered())
        return !m_encipheredKept;
    return (!m_encipheredKept && !m_sealedKept) || exists(Source::Coded);
}

bool Database::UpdateImportOffer() const
{
    return !exists(Source::Coded) && !exists(Source::Enciphered) && !exists(Source::Sealed);
}

bool Database::setAside(Source source) const
{
    const QDateTime now = QDateTime::currentDateTime();
    return m_folder.rename(fileName(source),
        fileName(source) + now.toString(QStringLiteral(".'kept'-yyyyMMdd-HHmmss-zzz")));
}

bool Database::configurationExists() const
{
    const QStringList names = m_folder.names();
    return m_folder.exists(configurationName)
        || std::any_of(names.begin(), names.end(), [](const QString &name) {
               return name.compare(configurationName, Qt::CaseInsensitive) == 0;
           });
}
