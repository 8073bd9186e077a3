#include "VaultSession.h"

#include "Console.h"
#include "Invocation.h"
#include "intl/Message.h"
#include "platform/PrivateTemporaryFolder.h"
#include "platform/SystemClock.h"
#include "security/ExpiryDate.h"
#include "vault/RecordLine.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <memory>
#include <utility>

VaultSession::VaultSession(const Invocation &invocation, Password password)
    : m_console(invocation.console)
    , m_passwordFromStdin(invocation.passwordFromStdin)
    , m_password(password)
    , m_kept(invocation.programFolder)
    , m_database(invocation.programFolder, m_access)
    , m_config(m_database.dataFolder())
    , m_opening(m_database, m_config, m_access)
    , m_editor(m_records, m_database)
{ }

bool VaultSession::open(Mode mode)
{
    if (!QFileInfo(m_database.programFolder()).isDir()) {
        m_console.warn(QStringLiteral("There is no folder %1.").arg(m_database.programFolder()));
        return false;
    }
    for (const QString &copy : m_database.conflictCopies()) {
        m_console.warn(QStringLiteral("%1/%2 is a conflict copy that a sync tool left: "
                                      "vaultine-cli merge FILE merges it and sets it aside.")
                           .arg(m_database.dataFolder(), copy));
    }
    if (mode == Mode::Write)
        m_database.prepareForWriting(PrivateTemporaryFolder().LocateSpecialFolder());
    m_entries = passwordEntries();
    std::optional<Database::Records> records = m_opening.open(*this, mode == Mode::Write);
    if (!records || !records->readWhole)
        return false;
    m_records.setBook(std::move(records->book));
    return mode == Mode::Read || !m_database.conversionUnfinished();
}

MasterPasswordGate::Entries VaultSession::passwordEntries()
{
    if (!m_passwordFromStdin) {
        // Once the terminal is missing or its input ended, every later try is missing too.
        auto ended = std::make_shared<bool>(false);
        return [this, ended]() -> std::optional<QString> {
            std::optional<QString> entry;
            if (!*ended)
                entry = m_console.askSecret(QStringLiteral("Master password: "));
            *ended = !entry;
            return entry;
        };
    }
    // The first line is the password's even when none is asked, so that the lines after it
    // mean the same in every folder.
    auto given = std::make_shared<std::optional<QString>>(m_console.readSecretLine());
    return [given] { return std::exchange(*given, std::nullopt); };
}

bool VaultSession::askPassword(const PasswordCheck::Test &isPassword)
{
    return MasterPasswordGate(m_console).pass(isPassword, m_entries);
}

std::optional<SealedFile::Key> VaultSession::keptKey()
{
    return m_password == Password::KeptKeyFirst ? m_kept.take() : std::nullopt;
}

void VaultSession::tell(const Message &message, const QString &detail)
{
    m_console.showMessage(QString::fromLatin1(message.title), QString::fromLatin1(message.text),
        message.icon, detail);
}

void VaultSession::passwordAccepted(const QString &expiry)
{
    switch (ExpiryDate::notice(expiry, SystemClock().today())) {
    case ExpiryDate::Notice::None:
        break;
    case ExpiryDate::Notice::ExpiresToday:
        m_console.warn(QStringLiteral("The Password expires today"));
        break;
    case ExpiryDate::Notice::Expired:
        m_console.warn(QStringLiteral("The Password has expired"));
        break;
    }
}

const QCommandLineOption VaultSession::which(QStringLiteral("which"),
    QStringLiteral("Of several records of the service, the one of this username, or with #N the "
                   "N-th as show lists them."),
    QStringLiteral("username"));

QList<qsizetype> VaultSession::indicesOf(const Invocation &invocation) const
{
    // A name given with line breaks (as --json gives it) is the stored one.
    const QString service = RecordLine::storedText(invocation.arguments.first());
    const bool chosen = invocation.parser.isSet(which);
    const QString username = RecordLine::storedText(invocation.parser.value(which));
    QList<qsizetype> ofService, found;
    for (qsizetype i = 0; i < book().count(); ++i) {
        if (book().service(i) != service)
            continue;
        ofService.append(i);
        if (!chosen
            || RecordLine::recordFields(book().record(i)).at(RecordLine::Username) == username)
            found.append(i);
    }
    // "#N": the N-th record of the service as show lists them (records of one username too).
    static const QRegularExpression number(QStringLiteral("^#[1-9][0-9]{0,8}$"));
    const qsizetype position = number.match(username).hasMatch() ? username.mid(1).toLongLong() : 0;
    if (chosen && found.isEmpty() && position >= 1 && position <= ofService.size())
        found.append(ofService.at(position - 1));
    if (found.isEmpty())
        m_console.warn((chosen ? QStringLiteral("There is no record of the service \"%1\" with the "
                                                "username \"%2\".")
                               : QStringLiteral("There is no record of the service \"%1\"."))
                           .arg(service, username));
    return found;
}

QList<QStringList> VaultSession::recordsOf(const Invocation &invocation) const
{
    QList<QStringList> found;
    for (const qsizetype index : indicesOf(invocation))
        found.append(RecordLine::outputFields(book().record(index)));
    return found;
}

std::optional<qsizetype> VaultSession::chosenRecord(const Invocation &invocation) const
{
    const QList<qsizetype> found = indicesOf(invocation);
    if (found.size() > 1) {
        QStringList usernames;
        for (const qsizetype index : found) {
            usernames.append(u'"'
                + RecordLine::recordFields(book().record(index)).at(RecordLine::Username) + u'"');
        }
        m_console.warn(
            QStringLiteral("%1 records have the service name \"%2\", of the "
                           "usernames %3: --which USERNAME (or #N, the N-th as show lists them) "
                           "chooses one.")
                .arg(found.size())
                .arg(invocation.arguments.first(), usernames.join(QStringLiteral(", "))));
    }
    return found.size() == 1 ? std::optional(found.first()) : std::nullopt;
}

std::optional<RemovalList> VaultSession::removals(const QString &name)
{
    std::optional<RemovalList> list = m_database.removals(name);
    if (!list)
        m_console.warn(m_database.failure());
    return list;
}

bool VaultSession::done(RecordEditor::Result result, const QString &after)
{
    for (const auto &[message, detail] : VaultOpening::cutTailReports(m_database))
        m_console.warn(QString::fromLatin1(message->text) + u'\n' + detail);
    if (result == RecordEditor::Result::Done)
        return true;
    m_console.warn(QString::fromLatin1(RecordEditor::messageFor(result)->text) + after);
    if (result == RecordEditor::Result::WriteFailed && !m_database.failure().isEmpty())
        m_console.warn(m_database.failure());
    return false;
}
