#include "SecurityChange.h"

#include "ConfigFile.h"
#include "KeptKey.h"
#include "Secret.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <QScopeGuard>

namespace {

using Source = Database::Source;

Source sourceOf(const QString &reach)
{
    const VaultAccess access {reach, {}};
    return access.enciphered() ? Source::Enciphered
                               : (access.sealed() ? Source::Sealed : Source::Coded);
}

} // namespace

SecurityChange::SecurityChange(Database &database, VaultAccess &access, const ConfigFile &config)
    : m_database(database)
    , m_access(access)
    , m_config(config)
{ }

// Every file a start may meet holds every record, before or after the change (a start at
// reach 1 reads the coded file only when the enciphered one is missing; at reach 3 only the
// sealed file), and no file is read under the key of another. The records move from memory
// into the new level's file, which is whole before the configuration names it; only a new
// password within reach 1 keeps a coded copy on disk while the enciphered file is replaced.
// Every step is checked: a state that is neither the old one nor the new one marks the
// conversion unfinished, which refuses adds and rewrites until a start finishes it.
SecurityChange::Result SecurityChange::store(
    const QString &line, const QString &reach, const QString &password)
{
    // Sealing again under the same password takes a new salt too.
    std::optional<SealedFile::Key> newSealKey;
    if (sourceOf(reach) == Source::Sealed && !(newSealKey = SealedFile::Key::create(password)))
        return Result::DatabaseFailed;
    const QByteArray removalSecret = newSealKey ? Database::removalSecretOf(*newSealKey)
        : sourceOf(reach) == Source::Enciphered ? RecordLine::toBytes(password)
                                                : QByteArray();
    // No other program writes between the read of the records and the removal of their file.
    Result result = Result::DatabaseFailed;
    m_database.whileLocked([&] {
        return m_database.carryRemovals(removalSecret, [&] {
            result = storeLocked(line, reach, password, std::move(newSealKey));
            return result == Result::Stored || result == Result::StoredCodedCopyLeft;
        });
    });
    // A key kept for vaultine-cli was the old password's: a file of before that comes back
    // (a backup, a sync) must not open without it.
    KeptKey(m_database.programFolder()).forget();
    return result;
}

SecurityChange::Result SecurityChange::storeLocked(const QString &line, const QString &reach,
    const QString &password, std::optional<SealedFile::Key> newSealKey)
{
    const Source from = sourceOf(m_access.reach), to = sourceOf(reach);
    // The records move from the file, which may hold some that another program wrote.
    const bool listed = !m_database.changedElsewhere(from);
    QByteArray oldKey = RecordLine::toBytes(m_access.databaseKey);
    QByteArray newKey = RecordLine::toBytes(password);
    const auto forgetKeys = qScopeGuard([&] {
        Secret::wipe(oldKey);
        Secret::wipe(newKey);
    });
    if (to == Source::Enciphered && m_database.encipheredKept())
        return Result::EncipheredKept;
    if (to == Source::Sealed && m_database.sealedKept())
        return Result::SealedKept;
    // Within reach 1 or 3 the configuration is written before the new file. At reach 3 it
    // holds no password, so the sealed file under the old one still opens until it is
    // replaced whole. At reach 1 the enciphered file goes first, the coded copy holding the
    // records until the new one is written.
    const bool sealedAgain = from == Source::Sealed && to == Source::Sealed;
    const bool encipheredAgain = from == Source::Enciphered && to == Source::Enciphered;
    const bool configurationFirst = sealedAgain || encipheredAgain;
    const bool codedWritten = from != Source::Coded && (to == Source::Coded || encipheredAgain);
    const DataFolder::Content oldConfig
        = configurationFirst ? m_config.content() : DataFolder::Content {};

    LineFile::ReadResult records;
    if (from != Source::Coded || to != Source::Coded) {
        records = m_database.readCodedLines(from, oldKey);
        if (!m_database.rewriteAllowed() || records.status == LineFile::ReadStatus::Failed)
            return Result::DatabaseFailed;
    }
    const Step writeTo = to == Source::Sealed ? Step::WriteSealed : Step::WriteEnciphered;
    const auto write = [&](Step step, Source target, const QByteArray &key) {
        return run(step, [&] {
            if (target == Source::Sealed)
                return newSealKey && m_database.sealCodedLines(records.lines, *newSealKey);
            return m_database.writeCodedLines(target == Source::Enciphered, records.lines, key);
        });
    };
    // Back to one database file; false when that failed.
    const auto removeCodedCopy
        = [&] { return !codedWritten || remove(Step::RemoveCoded, Source::Coded); };
    const auto writeConfiguration
        = [&] { return run(Step::WriteConfiguration, [&] { return m_config.write(line); }); };
    const auto restoreConfiguration = [&] {
        return oldConfig.status == DataFolder::Status::Read
            && run(Step::RestoreConfiguration, [&] { return m_config.restore(oldConfig.bytes); });
    };
    const auto restoreEnciphered = [&] {
        return !encipheredAgain || write(Step::RestoreEnciphered, Source::Enciphered, oldKey);
    };

    if (codedWritten && !write(Step::WriteCoded, Source::Coded, {}))
        return Result::DatabaseFailed;
    if (encipheredAgain && !remove(Step::RemoveEnciphered, Source::Enciphered))
        return unfinishedUnless(removeCodedCopy(), Result::DatabaseFailed);
    if (configurationFirst && !writeConfiguration())
        return unfinishedUnless(
            restoreEnciphered() && removeCodedCopy(), Result::ConfigurationFailed);
    if (to != Source::Coded && !write(writeTo, to, newKey)) {
        const bool restored
            = !configurationFirst || (restoreConfiguration() && restoreEnciphered());
        return unfinishedUnless(restored && removeCodedCopy(), Result::DatabaseFailed);
    }
    if (!configurationFirst && !writeConfiguration()) {
        // A file left beside the old level's is set aside or reported by the next start.
        if (to != Source::Coded)
            remove(removal(to), to);
        return unfinishedUnless(removeCodedCopy(), Result::ConfigurationFailed);
    }

    m_access.reach = reach;
    // The sealed level keeps the key derived from the password, not the password; the key in
    // force is a copy of its own, which the settings dialog's wipe of its box leaves alone.
    m_access.databaseKey = reach == QLatin1String("0") || to == Source::Sealed
        ? QString()
        : Secret::ownCopy(password);
    m_database.setSealKey(std::move(newSealKey));
    if (!listed)
        m_database.forgetSeen(to);
    // The old level's file goes; one of reach 1 or 3 left beside the new is reported by the
    // next start. A coded file left beside the new one is removed by the next start, and until
    // then adds and rewrites are refused.
    const bool oldGone = from == to || remove(removal(from), from) || from != Source::Coded;
    if (!oldGone || (encipheredAgain && !removeCodedCopy())) {
        m_database.markConversionUnfinished();
        return Result::StoredCodedCopyLeft;
    }
    return Result::Stored;
}

SecurityChange::Step SecurityChange::removal(Source source)
{
    return source == Source::Coded
        ? Step::RemoveCoded
        : (source == Source::Sealed ? Step::RemoveSealed : Step::RemoveEnciphered);
}

bool SecurityChange::remove(Step step, Source source) const
{
    return run(step, [&] { return m_database.remove(source); });
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
