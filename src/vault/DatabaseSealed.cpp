#include "Database.h"

#include "VaultAccess.h"

// The sealed file of the records: opened with the master password, sealed under its key.

bool Database::sealCodedLines(const QList<QByteArray> &coded, const SealedFile::Key &key) const
{
    return !m_sealedKept
        && noted(Source::Sealed,
            SealedFile(m_folder, fileName(Source::Sealed)).seal(key, LineFile::joined(coded)));
}

std::optional<QByteArray> Database::sealedContent(const QString &name) const
{
    const DataFolder::Content file = m_folder.read(name);
    QByteArray content;
    if (file.status != DataFolder::Status::Read || !m_sealKey
        || SealedFile::openBytes(file.bytes, *m_sealKey, content) != SealedFile::Status::Opened)
        return std::nullopt;
    return content;
}

bool Database::sealContent(const QByteArray &content) const
{
    return m_sealKey && SealedFile(m_folder, fileName(Source::Sealed)).seal(*m_sealKey, content);
}

SealedFile::Status Database::openSealed(const QString &password)
{
    noteWritten(Source::Sealed);
    return keepOpened(SealedFile(m_folder, fileName(Source::Sealed)).open(password));
}

SealedFile::Status Database::openSealed(SealedFile::Key key)
{
    noteWritten(Source::Sealed);
    return keepOpened(SealedFile(m_folder, fileName(Source::Sealed)).open(std::move(key)));
}

SealedFile::Status Database::keepOpened(SealedFile::Opened opened)
{
    // A key that did not open the file writes nothing.
    const bool isOpen = opened.status == SealedFile::Status::Opened;
    m_sealedContent = isOpen ? std::move(opened.content) : QByteArray();
    m_sealKey = isOpen ? std::move(opened.key) : std::nullopt;
    m_sealedBelowStandardCost = isOpen && opened.belowStandardCost;
    return opened.status;
}

SealedFile::Status Database::trySealed(const QString &password) const
{
    return SealedFile(m_folder, fileName(Source::Sealed)).open(password).status;
}

bool Database::sealAgain(SealedFile::Key key)
{
    return whileLocked([&] {
        return carryRemovals(removalSecretOf(key), [&] {
            const LineFile::ReadResult file = readCodedLines(Source::Sealed, {});
            if (file.status != LineFile::ReadStatus::Read || !sealCodedLines(file.lines, key))
                return false;
            m_sealKey = std::move(key);
            m_sealedBelowStandardCost = false;
            return true;
        });
    });
}
