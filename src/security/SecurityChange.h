#pragma once

#include <QString>

class ConfigFile;
class Database;
struct VaultAccess;

// Stores accepted security settings as one change: the configuration line, the reach level
// and the key in force, and the records moved into the database file the new reach level
// uses. When any step fails, the files, the reach level and the key stay as they were.
class SecurityChange
{
public:
    enum class Result { Stored, ConfigurationFailed, DatabaseFailed };

    SecurityChange(Database &database, VaultAccess &access, const ConfigFile &config);

    Result store(const QString &line, const QString &reach, const QString &password);

private:
    Database &m_database;
    VaultAccess &m_access;
    const ConfigFile &m_config;
};
