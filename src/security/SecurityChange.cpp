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
// there). The enciphered file is deciphered with the key in force before the change.
SecurityChange::Result SecurityChange::store(
    const QString &line, const QString &reach, const QString &password)
{
    const bool fromEnciphered = m_access.enciphered();
    const bool toEnciphered = reach == QLatin1String("1");
    const QByteArray oldKey = RecordLine::toBytes(m_access.databaseKey);
    const QByteArray newKey = RecordLine::toBytes(password);
    const bool converting = fromEnciphered || toEnciphered;

    LineFile::ReadResult records;
    if (converting) {
        records = m_database.readCodedLines(fromEnciphered, oldKey);
        if (!m_database.rewriteAllowed() || records.status == LineFile::ReadStatus::Failed)
            return Result::DatabaseFailed;
    }
    const auto removeCodedCopy = [&] {
        if (fromEnciphered)
            QFile::remove(m_database.codedPath());
    };
    if (fromEnciphered && !m_database.writeCodedLines(false, records.lines, {}))
        return Result::DatabaseFailed;
    if (toEnciphered && !m_database.writeCodedLines(true, records.lines, newKey)) {
        removeCodedCopy();
        return Result::DatabaseFailed;
    }
    if (!m_config.write(line)) {
        if (toEnciphered && fromEnciphered) {
            if (m_database.writeCodedLines(true, records.lines, oldKey))
                removeCodedCopy();
        } else {
            if (toEnciphered)
                QFile::remove(m_database.encipheredPath());
            removeCodedCopy();
        }
        return Result::ConfigurationFailed;
    }

    m_access.reach = reach;
    m_access.databaseKey = reach == QLatin1String("0") ? QString() : password;
    if (toEnciphered)
        QFile::remove(m_database.codedPath());
    else if (fromEnciphered)
        QFile::remove(m_database.encipheredPath());
    return Result::Stored;
}
