#include "ConfigFile.h"

#include "vault/CipherText.h"
#include "vault/LineFile.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <algorithm>

namespace {

// Eleven printable characters and nineteen with codes from 160 to 255.
constexpr char configKey[] = "q7&Vr2#Lm9!"
                             "\xa3\xb7\xc5\xd9\xe2\xf1\xa8\xbc\xcd\xde\xef\xfa\xa1\xb4\xc9\xd2"
                             "\xe7\xf5\xae";
const QByteArray ConfigKey = QByteArray::fromRawData(configKey, sizeof configKey - 1);
static_assert(sizeof configKey - 1 == 30);

const QString fileName = QStringLiteral("Coffrel.cnf");
constexpr qsizetype dateLength = 10;

} // namespace

const QString ConfigFile::noExpiry = QStringLiteral("xx-xx-xxxx");
const QString ConfigFile::unsetMark = QStringLiteral("UNSETMARK");

ConfigFile::ConfigFile(const QString &dataFolder)
    : m_folder(dataFolder)
{ }

bool ConfigFile::isDate(const QString &text)
{
    return text.size() == dateLength && std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || c == u'-' || c == u'x';
    }) && (!text.contains(u'x') || text == noExpiry);
}

QList<char32_t> ConfigFile::unheld(const QString &password)
{
    QList<char32_t> found;
    for (qsizetype i = 0; i < password.size(); ++i) {
        const QChar c = password[i];
        const bool pair
            = c.isHighSurrogate() && i + 1 < password.size() && password[i + 1].isLowSurrogate();
        if (pair)
            ++i;
        else if ((c == u' ' || c.category() == QChar::Other_Control || c.isSurrogate())
            && !found.contains(c.unicode()))
            found.append(c.unicode());
    }
    return found;
}

QString ConfigFile::composeLine(
    const QString &expiry, const QString &password, const QString &today, const QString &reach)
{
    return (expiry.isEmpty() ? noExpiry : expiry) + password + today + reach;
}

std::optional<ConfigFile::Settings> ConfigFile::parseLine(const QByteArray &plain)
{
    if (plain.isEmpty())
        return std::nullopt;
    const char digit = plain.back();
    Settings settings;
    settings.reach = QString::number(digit >= '0' && digit <= '9' ? digit - '0' : 0);
    const QByteArray line = plain.chopped(1);
    settings.expiry = RecordLine::fromBytes(line.left(dateLength));
    if (settings.reach != QLatin1String("0") && line.size() >= 2 * dateLength)
        settings.key = RecordLine::fromBytes(line.mid(dateLength, line.size() - 2 * dateLength));
    return settings;
}

QString ConfigFile::name() const
{
    const QStringList names = m_folder.names();
    const auto found = std::find_if(names.begin(), names.end(),
        [](const QString &name) { return name.compare(fileName, Qt::CaseInsensitive) == 0; });
    return found == names.end() ? fileName : *found;
}

QString ConfigFile::path() const
{
    return m_folder.path() + u'/' + name();
}

DataFolder::Content ConfigFile::content() const
{
    return m_folder.read(name(), sizeLimit);
}

bool ConfigFile::restore(const QByteArray &content) const
{
    return m_folder.write(name(), content);
}

bool ConfigFile::write(const QString &line) const
{
    // Dates and digit are ASCII: a character counts one byte there, and the password is what
    // lies between them.
    if (line.size() < 2 * dateLength + 1 || !isDate(line.left(dateLength))
        || !isDate(line.chopped(1).right(dateLength)) || line.back() < u'0' || line.back() > u'9')
        return false;
    const std::optional<QByteArray> enciphered = CipherText(RecordLine::toBytes(line), ConfigKey);
    return enciphered
        && m_folder.write(
            name(), LineFile::fileContent({*enciphered}, LineFile::ByteOrderMark::Keep));
}

std::optional<ConfigFile::Settings> ConfigFile::read() const
{
    const DataFolder::Content stored = content();
    if (stored.status != DataFolder::Status::Read)
        return std::nullopt;
    const std::optional<QByteArray> plain = CipherText(LineFile::soleLine(stored.bytes), ConfigKey);
    return plain ? parseLine(*plain) : std::nullopt;
}

std::optional<ConfigFile::Settings> ConfigFile::loadInto(VaultAccess &access) const
{
    const std::optional<Settings> settings = read();
    if (settings) {
        access.reach = settings->reach;
        // At reach 3 the line holds the mark, and no password is kept: the database keeps the
        // key derived from the one typed at start-up.
        if (settings->key && !access.sealed())
            access.databaseKey = *settings->key;
    }
    return settings;
}
