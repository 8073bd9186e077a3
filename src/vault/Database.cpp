#include "Database.h"

#include "CipherText.h"
#include "LineEscape.h"
#include "LineFile.h"
#include "RecordCodec.h"
#include "RecordLine.h"
#include "VaultAccess.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// Takes away the mode bits outside the kept ones, never adding any.
void restrictMode(const QString &path, mode_t kept)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (stat(name.constData(), &info) == 0 && (info.st_mode & 07777 & ~kept) != 0)
        chmod(name.constData(), info.st_mode & kept);
}

} // namespace

Database::Database(const QString &programFolder, VaultAccess &access)
    : m_programFolder(programFolder)
    , m_access(access)
{ }

void Database::EnsureDataFolder() const
{
    QDir().mkdir(dataFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    restrictMode(dataFolder(), 0700);
    for (const QString &path : dataFiles())
        restrictMode(path, 0600);
}

void Database::removeWriteLeftovers(const QString &temporaryFolder) const
{
    for (const QString &path : dataFiles())
        LineFile::removeWriteLeftovers(path);
    if (temporaryFolder.isEmpty())
        return;
    const QString workingCopy = temporaryFolder + QStringLiteral("/mdb.tmp");
    LineFile::removeWriteLeftovers(workingCopy, LineFile::Writer::SaveFile);
    QFile::remove(workingCopy);
}

ProgramLock::Result Database::lockDataFolder(
    ProgramLock &lock, int waitMilliseconds, const QString &temporaryFolder) const
{
    EnsureDataFolder();
    const ProgramLock::Result result = lock.acquire(waitMilliseconds);
    if (result == ProgramLock::Result::Acquired)
        removeWriteLeftovers(temporaryFolder);
    return result;
}

QByteArray Database::databaseKey()
{
    if (m_access.databaseKey.isEmpty() && m_keyLoader)
        m_keyLoader();
    return RecordLine::toBytes(m_access.databaseKey);
}

LineFile::ReadResult Database::readCodedLines(Source source, const QByteArray &key) const
{
    if (source == Source::Sealed) {
        const LineFile::Content file = LineFile::readContent(sealedPath());
        QByteArray content;
        if (file.status != LineFile::ReadStatus::Read || !m_sealKey
            || SealedFile::openBytes(file.bytes, *m_sealKey, content) != SealedFile::Status::Opened)
            return {LineFile::ReadStatus::Failed, {}};
        QList<QByteArray> lines;
        for (const QByteArrayView line : LineFile::splitLines(content))
            lines.append(line.toByteArray());
        return {LineFile::ReadStatus::Read, lines};
    }
    const bool enciphered = source == Source::Enciphered;
    LineFile::ReadResult file = enciphered
        ? LineFile::readLines(encipheredPath(), LineFile::ByteOrderMark::Keep)
        : LineFile::readLines(codedPath());
    if (!enciphered || file.status != LineFile::ReadStatus::Read)
        return file;
    for (QByteArray &line : file.lines) {
        const std::optional<QByteArray> raw = unescapeLine(line);
        const std::optional<QByteArray> plain = raw ? CipherText(*raw, key) : std::nullopt;
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
        return LineFile::writeLines(codedPath(), coded);
    if (m_encipheredKept)
        return false;
    QList<QByteArray> lines;
    lines.reserve(coded.size());
    for (const QByteArray &line : coded) {
        const std::optional<QByteArray> cipher = CipherText(line, key);
        if (!cipher)
            return false;
        lines.append(escapeLine(*cipher));
    }
    return LineFile::writeLines(encipheredPath(), lines, LineFile::ByteOrderMark::Keep);
}

bool Database::sealCodedLines(const QList<QByteArray> &coded, const SealedFile::Key &key) const
{
    return !m_sealedKept && SealedFile(sealedPath()).seal(key, LineFile::joined(coded));
}

bool Database::sealContent(const QByteArray &content) const
{
    return m_sealKey && SealedFile(sealedPath()).seal(*m_sealKey, content);
}

SealedFile::Status Database::openSealed(const QString &password)
{
    SealedFile::Opened opened = SealedFile(sealedPath()).open(password);
    // A key that did not open the file writes nothing.
    const bool isOpen = opened.status == SealedFile::Status::Opened;
    m_sealedContent = isOpen ? std::move(opened.content) : QByteArray();
    m_sealKey = isOpen ? std::move(opened.key) : std::nullopt;
    const SealedFile::Cost standard = SealedFile::Cost::standard();
    m_sealedBelowStandardCost = m_sealKey
        && (m_sealKey->cost().passes < standard.passes
            || m_sealKey->cost().kibibytes < standard.kibibytes);
    return opened.status;
}

bool Database::sealAgainAtStandardCost(const QString &password)
{
    const LineFile::ReadResult file = readCodedLines(Source::Sealed, {});
    std::optional<SealedFile::Key> key = SealedFile::Key::create(password);
    if (file.status != LineFile::ReadStatus::Read || !key || !sealCodedLines(file.lines, *key))
        return false;
    m_sealKey = std::move(key);
    m_sealedBelowStandardCost = false;
    return true;
}

Database::Records Database::readRecords(const QString &source)
{
    LineFile::Content file = LineFile::readContent(source);
    if (file.status == LineFile::ReadStatus::Failed)
        return {{}, false, std::nullopt};
    // The codec leaves line breaks alone: the whole file is decoded at once.
    return {RecordLine::linesFromBytes(DecodeRecord(std::move(file.bytes))), true, std::nullopt};
}

void Database::preloadRecords()
{
    m_preload = std::async(std::launch::async, [source = codedPath()] {
        Records records = readRecords(source);
        records.sorted.emplace().load(records.lines);
        return records;
    });
}

Database::Records Database::readEnciphered()
{
    const LineFile::ReadResult file
        = readCodedLines(Source::Enciphered, RecordLine::toBytes(m_access.databaseKey));
    if (file.status == LineFile::ReadStatus::Failed)
        return {{}, false, std::nullopt};
    return {RecordLine::linesFromBytes(
                DecodeRecord(LineFile::joined(file.lines)), LineFile::ByteOrderMark::Keep),
        true, std::nullopt};
}

Database::Records Database::LoadRecords(Source source)
{
    Records records;
    if (source == Source::Enciphered)
        records = readEnciphered();
    else if (source == Source::Sealed) // an empty file opens too: no key, nothing read
        records = {RecordLine::linesFromBytes(DecodeRecord(std::exchange(m_sealedContent, {})),
                       LineFile::ByteOrderMark::Keep),
            m_sealKey.has_value(), std::nullopt};
    else
        records = m_preload.valid() ? m_preload.get() : readRecords(codedPath());
    if (!records.readWhole)
        m_rewriteRefused = true;
    return records;
}

bool Database::AppendRecord(const QString &line)
{
    if (m_conversionUnfinished || !keptFileSpared())
        return false;
    const QByteArray coded = EncodeRecord(RecordLine::toBytes(line));
    if (m_access.enciphered())
        return AppendEncipheredRecord(coded);
    if (m_access.sealed())
        return AppendSealedRecord(coded);
    return LineFile::appendLine(codedPath(), coded);
}

// The whole file sealed anew with the line after the others.
bool Database::AppendSealedRecord(const QByteArray &coded)
{
    const LineFile::ReadResult file = readCodedLines(Source::Sealed, {});
    return file.status == LineFile::ReadStatus::Read
        && sealContent(LineFile::joined(file.lines) + coded + "\r\n");
}

bool Database::AppendEncipheredRecord(const QByteArray &coded)
{
    const std::optional<QByteArray> enciphered = CipherText(coded, databaseKey());
    return enciphered
        && LineFile::appendLine(
            encipheredPath(), escapeLine(*enciphered), LineFile::ByteOrderMark::Keep);
}

bool Database::RewriteDatabase(const QStringList &records)
{
    if (!rewriteAllowed() || !keptFileSpared())
        return false;
    // The codec leaves line breaks alone: coded at once.
    if (m_access.sealed())
        return sealContent(
            EncodeRecord(RecordLine::linesToBytes(records, LineFile::ByteOrderMark::Keep)));
    if (!m_access.enciphered())
        return LineFile::writeContent(codedPath(), EncodeRecord(RecordLine::linesToBytes(records)));
    const QByteArray key = databaseKey();
    QList<QByteArray> coded;
    coded.reserve(records.size());
    for (const QString &record : records)
        coded.append(EncodeRecord(RecordLine::toBytes(record)));
    return !key.isEmpty() && writeCodedLines(true, coded, key);
}

bool Database::keptFileSpared() const
{
    if (m_access.sealed())
        return !m_sealedKept;
    if (m_access.enciphered())
        return !m_encipheredKept;
    return (!m_encipheredKept && !m_sealedKept) || QFileInfo::exists(codedPath());
}

bool Database::UpdateImportOffer() const
{
    return !QFileInfo::exists(codedPath()) && !QFileInfo::exists(encipheredPath())
        && !QFileInfo::exists(sealedPath());
}

QString Database::pathOf(Source source) const
{
    switch (source) {
    case Source::Coded:
        return codedPath();
    case Source::Enciphered:
        return encipheredPath();
    case Source::Sealed:
        return sealedPath();
    }
    return {};
}

bool Database::exists(Source source) const
{
    return QFileInfo::exists(pathOf(source));
}

bool Database::remove(Source source) const
{
    const QString path = pathOf(source);
    return QFile::remove(path) || !QFileInfo::exists(path);
}

bool Database::setAside(Source source) const
{
    const QString path = pathOf(source);
    const QDateTime now = QDateTime::currentDateTime();
    return QFile::rename(path, path + now.toString(QStringLiteral(".'kept'-yyyyMMdd-HHmmss-zzz")));
}

bool Database::configurationExists() const
{
    return !QDir(dataFolder())
                .entryList({QStringLiteral("Coffrel.cnf")},
                    QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
                .isEmpty();
}
