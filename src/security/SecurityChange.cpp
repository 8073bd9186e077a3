#include "SecurityChange.h"

#include "ConfigFile.h"
#include "vault/Database.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <QFile>

SecurityChange::SecurityChange(Database &database, VaultAccess &access, const ConfigFile &config)
    : m_database(database)
    , m_access(access)
    , m_config(config)
{ }

// The coded file holds every record from the first write to the last, so that a program
// stopped at any moment finds them all (a start at reach 1 reads the coded file when it is
// there). The enciphered file is deciphered with the key in force before the change. Every
// step is checked: a state that is neither the old one nor the new one marks the conversion
// unfinished, which refuses adds and rewrites until a start finishes it.
SecurityChange::Result SecurityChange::store(
    const QString &line, const QString &reach, const QString &password)
{
    const bool fromEnciphered = m_access.enciphered();
    const bool toEnciphered = reach == QLatin1String("1");
    const QByteArray oldKey = RecordLine::toBytes(m_access.databaseKey);
    const QByteArray newKey = RecordLine::toBytes(password);
    if (toEnciphered && m_database.encipheredKept())
        return Result::EncipheredKept;

    LineFile::ReadResult records;
    if (fromEnciphered || toEnciphered) {
        records = m_database.readCodedLines(fromEnciphered, oldKey);
        if (!m_database.rewriteAllowed() || records.status == LineFile::ReadStatus::Failed)
            return Result::DatabaseFailed;
    }
    const auto write = [&](Step step, bool enciphered, const QByteArray &key) {
        return run(
            step, [&] { return m_database.writeCodedLines(enciphered, records.lines, key); });
    };
    const auto remove = [&](Step step, const QString &path) {
        return run(step, [&] { return QFile::remove(path) || !QFile::exists(path); });
    };
    // Back to one database file; false when that failed.
    const auto removeCodedCopy
        = [&] { return !fromEnciphered || remove(Step::RemoveCoded, m_database.codedPath()); };

    if (fromEnciphered && !write(Step::WriteCoded, false, {}))
        return Result::DatabaseFailed;
    if (toEnciphered && !write(Step::WriteEnciphered, true, newKey))
        return unfinishedUnless(removeCodedCopy(), Result::DatabaseFailed);
    if (!run(Step::WriteConfiguration, [&] { return m_config.write(line); })) {
        if (toEnciphered && fromEnciphered) {
            return unfinishedUnless(
                write(Step::RestoreEnciphered, true, oldKey) && removeCodedCopy(),
                Result::ConfigurationFailed);
        }
        // An enciphered file left beside the coded one is reported by the next start.
        if (toEnciphered)
            remove(Step::RemoveEnciphered, m_database.encipheredPath());
        return unfinishedUnless(removeCodedCopy(), Result::ConfigurationFailed);
    }

    m_access.reach = reach;
    m_access.databaseKey = reach == QLatin1String("0") ? QString() : password;
    if (toEnciphered)
        return unfinishedUnless(remove(Step::RemoveCoded, m_database.codedPath()), Result::Stored);
    // An enciphered file left beside the coded one is reported by the next start.
    if (fromEnciphered)
        remove(Step::RemoveEnciphered, m_database.encipheredPath());
    return Result::Stored;
}

bool SecurityChange::run(Step step, const std::function<bool()> &action) const
{
    return !m_failing.contains(step) && action();
}

SecurityChange::Result SecurityChange::unfinishedUnless(bool done, Result result) const
{
    if (done)
        return result;
    m_database.markConversionUnfinished();
    return Result::DatabaseFailed;
}
