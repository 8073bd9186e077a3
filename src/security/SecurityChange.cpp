#include "SecurityChange.h"

#include "ConfigFile.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

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

// The coded file holds every record from the first write to the last, so that a program
// stopped at any moment finds them all (a start at reach 1 or 3 reads the coded file when it
// is there). The enciphered or sealed file is read with the key in force before the change.
// Every step is checked: a state that is neither the old one nor the new one marks the
// conversion unfinished, which refuses adds and rewrites until a start finishes it.
SecurityChange::Result SecurityChange::store(
    const QString &line, const QString &reach, const QString &password)
{
    const Source from = sourceOf(m_access.reach), to = sourceOf(reach);
    const QByteArray oldKey = RecordLine::toBytes(m_access.databaseKey);
    const QByteArray newKey = RecordLine::toBytes(password);
    if (to == Source::Enciphered && m_database.encipheredKept())
        return Result::EncipheredKept;
    if (to == Source::Sealed && m_database.sealedKept())
        return Result::SealedKept;
    // Sealing again under the same password takes a new salt too.
    std::optional<SealedFile::Key> newSealKey;
    if (to == Source::Sealed && !(newSealKey = SealedFile::Key::create(password)))
        return Result::DatabaseFailed;
    // A new password within reach 3 is sealed after the configuration (which holds no password
    // there) is written: no failure leaves the file under a password that was refused. The
    // sealed file is replaced whole, so no coded copy of the records is made in Data.
    const bool sealedAgain = from == Source::Sealed && to == Source::Sealed;
    const bool codedCopy = from != Source::Coded && !sealedAgain;
    const DataFolder::Content oldConfig = sealedAgain ? m_config.content() : DataFolder::Content {};

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
        = [&] { return !codedCopy || remove(Step::RemoveCoded, Source::Coded); };

    const auto writeConfiguration
        = [&] { return run(Step::WriteConfiguration, [&] { return m_config.write(line); }); };

    if (codedCopy && !write(Step::WriteCoded, Source::Coded, {}))
        return Result::DatabaseFailed;
    if (sealedAgain && !writeConfiguration())
        return unfinishedUnless(removeCodedCopy(), Result::ConfigurationFailed);
    if (to != Source::Coded && !write(writeTo, to, newKey)) {
        const bool restored = !sealedAgain
            || (oldConfig.status == DataFolder::Status::Read
                && run(
                    Step::RestoreConfiguration, [&] { return m_config.restore(oldConfig.bytes); }));
        return unfinishedUnless(restored && removeCodedCopy(), Result::DatabaseFailed);
    }
    if (!sealedAgain && !writeConfiguration()) {
        if (to == Source::Enciphered && to == from) {
            const bool restored = write(Step::RestoreEnciphered, to, oldKey);
            return unfinishedUnless(restored && removeCodedCopy(), Result::ConfigurationFailed);
        }
        // A file left beside the coded one is reported by the next start.
        if (to != Source::Coded)
            remove(to == Source::Sealed ? Step::RemoveSealed : Step::RemoveEnciphered, to);
        return unfinishedUnless(removeCodedCopy(), Result::ConfigurationFailed);
    }

    m_access.reach = reach;
    m_access.databaseKey = reach == QLatin1String("0") ? QString() : password;
    m_database.setSealKey(std::move(newSealKey));
    // A file of the old level left beside the coded one is reported by the next start.
    if (from != to && from != Source::Coded)
        remove(from == Source::Sealed ? Step::RemoveSealed : Step::RemoveEnciphered, from);
    // The change is in force; the coded copy left beside the new file is removed by the next
    // start, and until then adds and rewrites are refused.
    if (to != Source::Coded && !sealedAgain && !remove(Step::RemoveCoded, Source::Coded)) {
        m_database.markConversionUnfinished();
        return Result::StoredCodedCopyLeft;
    }
    return Result::Stored;
}

bool SecurityChange::remove(Step step, Source source) const
{
    return run(step, [&] { return m_database.removeFile(source); });
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
