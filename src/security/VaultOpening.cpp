#include "VaultOpening.h"

#include "ConfigFile.h"
#include "intl/Message.h"
#include "vault/VaultAccess.h"

#include <QFileInfo>

namespace {

constexpr Message unreadable = {"Error - i67",
    "The database seem to be corrupt or it does not exist.", MessageBoxes::Icon::Stop};
constexpr Message notAccessible
    = {"Disk Error - i66", "Can not access the DataBase.", MessageBoxes::Icon::Stop};
constexpr Message strayEnciphered = {"Vaultine",
    "Data/CF2DB.edb holds enciphered records that the settings in Data/Coffrel.cnf do not name "
    "(the file is missing, unreadable or names another level). They are not listed, and the "
    "file is kept as it is: it is not changed or removed while the program runs, and no new "
    "database file is made "
    "beside it.",
    MessageBoxes::Icon::Stop};

} // namespace

VaultOpening::VaultOpening(Database &database, const ConfigFile &config, VaultAccess &access)
    : m_database(database)
    , m_config(config)
    , m_access(access)
{ }

Database::Source VaultOpening::sourceFor(const QString &reach) const
{
    // A start at reach 1 that finds the coded file meets a conversion cut short: the coded file
    // holds every record until the enciphered one does.
    if (reach == QLatin1String("1") && !QFileInfo::exists(m_database.codedPath()))
        return Database::Source::Enciphered;
    return Database::Source::Coded;
}

void VaultOpening::preloadRecords()
{
    const std::optional<ConfigFile::Settings> settings = m_config.read();
    if (sourceFor(settings ? settings->reach : QStringLiteral("0")) == Database::Source::Coded)
        m_database.preloadRecords();
}

std::optional<Database::Records> VaultOpening::open(Dialogue &dialogue, bool mayWrite)
{
    // A missing or unreadable configuration leaves reach 0.
    m_access = VaultAccess();
    const std::optional<ConfigFile::Settings> settings = m_config.loadInto(m_access);
    if (settings && settings->key && *settings->key != ConfigFile::unsetMark) {
        if (!dialogue.askPassword(*settings->key))
            return std::nullopt;
        dialogue.passwordAccepted(settings->expiry);
    }
    const Database::Source source = sourceFor(m_access.reach);
    const bool encipheredExists = QFileInfo::exists(m_database.encipheredPath());
    Database::Records records = m_database.LoadRecords(source);
    if (!records.readWhole || (source == Database::Source::Enciphered && !encipheredExists))
        dialogue.tell(unreadable);
    if (source == Database::Source::Coded && m_access.enciphered()) {
        if (mayWrite)
            finishConversion(dialogue, records);
    } else if (source == Database::Source::Coded && encipheredExists) {
        m_database.keepEncipheredFile();
        dialogue.tell(strayEnciphered);
    }
    return records;
}

// The enciphered file gets every record, then the coded one goes. When either fails, adds
// and rewrites are refused: the next start reads the coded file again.
void VaultOpening::finishConversion(Dialogue &dialogue, const Database::Records &records)
{
    if (records.readWhole && m_database.RewriteDatabase(records.lines)
        && QFile::remove(m_database.codedPath()))
        return;
    m_database.markConversionUnfinished();
    dialogue.tell(notAccessible);
}
