#pragma once

#include "vault/Database.h"

#include <QSet>
#include <QString>

#include <functional>

class ConfigFile;
struct VaultAccess;

// Stores accepted security settings as one change: the configuration line, the reach level
// and the key in force, and the records moved into the database file the new reach level
// uses. When any step fails, the files, the reach level and the key stay as they were; when
// going back fails too, adds and rewrites are refused until a start finishes the change. A key
// that vaultine-cli keeps for the folder is forgotten.
class SecurityChange
{
public:
    enum class Result {
        Stored,
        StoredCodedCopyLeft, // in force, but the coded copy could not be removed
        ConfigurationFailed,
        DatabaseFailed,
        EncipheredKept,
        SealedKept,
    };
    enum class Step {
        WriteCoded,
        WriteEnciphered,
        WriteConfiguration,
        RestoreEnciphered,
        RemoveCoded,
        RemoveEnciphered,
        WriteSealed,
        RestoreConfiguration,
        RemoveSealed,
    };
    static constexpr int stepCount = 9;

    SecurityChange(Database &database, VaultAccess &access, const ConfigFile &config);

    Result store(const QString &line, const QString &reach, const QString &password);
    // Whether the password is the master password in force at the sealed level: it opens the
    // sealed file (the slow step).
    SealedFile::Status trySealed(const QString &password) const
    {
        return m_database.trySealed(password);
    }

    // The steps that fail without running, as on a full disk (for tests).
    void setFailingSteps(const QSet<Step> &steps) { m_failing = steps; }

private:
    // The change, made under the folder's write lock; the sealed level's new key given.
    Result storeLocked(const QString &line, const QString &reach, const QString &password,
        std::optional<SealedFile::Key> newSealKey);
    // The step that removes the file of a source.
    static Step removal(Database::Source source);
    bool remove(Step step, Database::Source source) const;
    bool run(Step step, const std::function<bool()> &action) const;
    Result unfinishedUnless(bool done, Result result) const;

    Database &m_database;
    VaultAccess &m_access;
    const ConfigFile &m_config;
    QSet<Step> m_failing;
};
