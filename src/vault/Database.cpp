#include "Database.h"

#include "CipherText.h"
#include "LineEscape.h"
#include "LineFile.h"
#include "RecordCodec.h"
#include "RecordLine.h"
#include "VaultAccess.h"
#include "platform/TemporaryFolder.h"

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

Database::Database(
    const QString &programFolder, const TemporaryFolder &temporaryFolder, VaultAccess &access)
    : m_programFolder(programFolder)
    , m_temporaryFolder(temporaryFolder)
    , m_access(access)
{ }

QString Database::workingCopyPath() const
{
    const QString folder = m_temporaryFolder.LocateSpecialFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/mdb.tmp");
}

void Database::EnsureDataFolder() const
{
    QDir().mkdir(dataFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    restrictMode(dataFolder(), 0700);
    for (const QString &path : dataFiles())
        restrictMode(path, 0600);
}

void Database::removeWriteLeftovers() const
{
    for (const QString &path : dataFiles())
        LineFile::removeWriteLeftovers(path);
}

QByteArray Database::databaseKey()
{
    if (m_access.databaseKey.isEmpty() && m_keyLoader)
        m_keyLoader();
    return RecordLine::toBytes(m_access.databaseKey);
}

bool Database::writeWorkingCopy(const QString &workingCopy, const QByteArray &coded)
{
    if (workingCopy.isEmpty())
        return false;
    // Never write through a link planted at the working copy's name.
    QFile::remove(workingCopy);
    return LineFile::writeContent(workingCopy, coded);
}

LineFile::ReadResult Database::readCodedLines(bool enciphered, const QByteArray &key) const
{
    LineFile::ReadResult file = LineFile::readLines(enciphered ? encipheredPath() : codedPath());
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
    QList<QByteArray> lines;
    lines.reserve(coded.size());
    for (const QByteArray &line : coded) {
        const std::optional<QByteArray> cipher = CipherText(line, key);
        if (!cipher)
            return false;
        lines.append(escapeLine(*cipher));
    }
    return LineFile::writeLines(encipheredPath(), lines);
}

bool Database::DecipherDatabase()
{
    // Both files at once: a conversion was cut short, and the coded file holds every record.
    m_conversionUnfinished = QFileInfo::exists(codedPath());
    const LineFile::ReadResult source
        = readCodedLines(!m_conversionUnfinished, RecordLine::toBytes(m_access.databaseKey));
    const bool copied = writeWorkingCopy(workingCopyPath(), LineFile::joined(source.lines));
    const bool read = source.status == LineFile::ReadStatus::Read;
    if (source.status != LineFile::ReadStatus::Missing && !(read && copied))
        m_rewriteRefused = true;
    return read && copied;
}

void Database::finishConversion(const QStringList &records)
{
    if (!m_conversionUnfinished)
        return;
    if (RewriteDatabase(records) && QFile::remove(codedPath())) {
        m_conversionUnfinished = false;
        return;
    }
    // The next start reads the coded file again: a change written now would not be seen.
    m_rewriteRefused = true;
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

Database::Records Database::LoadRecords()
{
    const bool preloaded = m_preload.valid();
    Records records = preloaded ? m_preload.get() : Records();
    if (!preloaded || m_access.enciphered())
        records = readRecords(m_access.enciphered() ? workingCopyPath() : codedPath());
    if (!records.readWhole)
        m_rewriteRefused = true;
    return records;
}

void Database::deleteWorkingCopy() const
{
    const QString path = workingCopyPath();
    if (!path.isEmpty())
        QFile::remove(path);
}

bool Database::AppendRecord(const QString &line)
{
    if (m_conversionUnfinished)
        return false;
    const QByteArray coded = EncodeRecord(RecordLine::toBytes(line));
    if (m_access.enciphered())
        return AppendEncipheredRecord(coded);
    return LineFile::appendLine(codedPath(), coded);
}

bool Database::AppendEncipheredRecord(const QByteArray &coded)
{
    const std::optional<QByteArray> enciphered = CipherText(coded, databaseKey());
    return enciphered && LineFile::appendLine(encipheredPath(), escapeLine(*enciphered));
}

bool Database::RewriteDatabase(const QStringList &records)
{
    if (m_rewriteRefused)
        return false;
    // The codec leaves line breaks alone: the whole content is coded at once.
    const QByteArray coded = EncodeRecord(RecordLine::linesToBytes(records));
    if (!m_access.enciphered())
        return LineFile::writeContent(codedPath(), coded);

    const QString workingCopy = workingCopyPath();
    if (databaseKey().isEmpty() || !writeWorkingCopy(workingCopy, coded))
        return false;
    const bool written = EncipherWorkingCopy(workingCopy);
    QFile::remove(workingCopy);
    return written;
}

bool Database::EncipherWorkingCopy(const QString &workingCopy)
{
    const QByteArray key = databaseKey();
    const LineFile::ReadResult coded = LineFile::readLines(workingCopy);
    return coded.status == LineFile::ReadStatus::Read && writeCodedLines(true, coded.lines, key);
}

bool Database::UpdateImportOffer() const
{
    return !QFileInfo::exists(codedPath()) && !QFileInfo::exists(encipheredPath());
}
