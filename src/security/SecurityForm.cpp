#include "SecurityForm.h"

#include "ConfigFile.h"
#include "ExpiryDate.h"
#include "PasswordSuggestion.h"
#include "Secret.h"
#include "SecurityChange.h"
#include "intl/Dictionary.h"
#include "intl/Message.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"

#include <QScopeGuard>

namespace {

constexpr QLatin1StringView digits("0123456789");

// Removes every character that is not allowed. The caret goes to the place after the last
// one removed, as the box puts it; none when nothing was removed.
std::optional<int> keepOnly(QString &text, QLatin1StringView allowed)
{
    std::optional<int> caret;
    for (qsizetype i = 0; i < text.size();) {
        if (allowed.contains(text[i])) {
            ++i;
            continue;
        }
        text.remove(i, 1);
        caret = int(i + 1);
    }
    if (caret)
        caret = qMin(*caret, int(text.size()));
    return caret;
}

// A character by a name that a message can show.
QString nameOf(char32_t c)
{
    switch (c) {
    case U' ':
        return QStringLiteral("space");
    case U'\t':
        return QStringLiteral("tab");
    case U'\r':
    case U'\n':
        return QStringLiteral("line end");
    }
    return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
}

constexpr Message spaceInLine
    = {"Error - i77", "There can not be spaces on a password", MessageBoxes::Icon::Stop, 75};
constexpr Message emptyPassword = {"Vaultine",
    "\"Program and DBase\" guards the database with the master password: type a password first.",
    MessageBoxes::Icon::Information};
constexpr Message badExpiry = {"Vaultine",
    "The expiry date must read month-day-year, such as 12-31-2027, or \"Do Not Expire\" be "
    "ticked.",
    MessageBoxes::Icon::Information};
constexpr Message unsetMarkTyped
    = {"Vaultine", "\"UNSETMARK\" is the mark of no password and cannot be the master password.",
        MessageBoxes::Icon::Information};
constexpr Message weakSealedPassword = {"Vaultine",
    "This master password is easy to guess. Anyone with a copy of Data/CF2DB.sdb can try "
    "passwords against it on their own computers, without limit. A password of 11 or more "
    "letters and digits mixed at random (\"Sugest Password\" makes one) stands up to that.\n\n"
    "Press \"Accept\" again to keep this password, or type another one.",
    MessageBoxes::Icon::Information};
constexpr Message notInForce
    = {"Vaultine", "That is not the current master password. Nothing was changed.",
        MessageBoxes::Icon::Information};
constexpr Message encipheredKept = {"Vaultine",
    "Data/CF2DB.edb holds records that were not read at start-up. Move it out of the Data "
    "folder before choosing \"Program and DBase\".",
    MessageBoxes::Icon::Stop};
constexpr Message sealedKept = {"Vaultine",
    "Data/CF2DB.sdb holds records that were not read at start-up. Move it out of the Data "
    "folder before choosing \"Program and DBase, sealed\".",
    MessageBoxes::Icon::Stop};
constexpr Message codedCopyLeft = {"Vaultine",
    "The settings are stored, but Data/CF2DB.pdb, a copy of the records that is only coded, "
    "could not be removed. Nothing can be added or changed until the program starts again, "
    "which removes it.",
    MessageBoxes::Icon::Stop};
constexpr Message configurationFailed
    = {"Disk Error - i64", "Failed to access configuration file", MessageBoxes::Icon::Stop};
constexpr Message databaseFailed
    = {"Disk Error - i66", "Can not access the DataBase.", MessageBoxes::Icon::Stop};

} // namespace

SecurityForm::SecurityForm(SecurityChange &change, const Clock &clock, MessageBoxes &messages,
    const Dictionary &dictionary)
    : m_change(change)
    , m_clock(clock)
    , m_messages(messages)
    , m_dictionary(dictionary)
{ }

void SecurityForm::open(const QString &reach, const QString &key)
{
    forgetPassword();
    m_state = State();
    const int stored = reach.size() == 1 && reach[0] >= u'0' && reach[0] <= u'3'
        ? reach[0].digitValue()
        : noReach;
    m_storedReach = stored;
    m_state.reach = stored;
    m_state.reachEnabled[0] = true;
    // The key fills the box as it is: what typing refuses must not change a stored password.
    // The box's copy is its own, so that forgetting it leaves the key in force. Without a key
    // only "None" can be chosen, whatever level was stored, but at the sealed level, which
    // keeps no password.
    if (!key.isEmpty()) {
        setPassword(Secret::ownCopy(key));
    } else if (stored == sealedReach) {
        m_state.reachEnabled = {true, true, true, true};
        m_state.passwordKept = true;
    } else {
        m_state.reach = 0;
    }
    if (stored != noReach && m_state.reachEnabled[stored])
        m_state.reach = stored;
}

std::optional<int> SecurityForm::Text1_Change(const QString &typed)
{
    QList<char32_t> refused = ConfigFile::unheld(typed);
    // A suggestion's spaces part the password from its copy in brackets.
    if (m_state.suggest)
        refused.removeAll(U' ');
    if (refused.isEmpty()) {
        setPassword(typed);
        return std::nullopt;
    }
    // The box keeps what it held, and says why.
    QStringList names;
    for (const char32_t c : refused)
        names.append(nameOf(c));
    names.removeDuplicates();
    m_messages.showMessage(QStringLiteral("Vaultine"),
        QStringLiteral("A master password cannot hold these characters: %1. They were not put "
                       "into the box.")
            .arg(names.join(QStringLiteral(", "))),
        MessageBoxes::Icon::Information);
    return int(m_state.password.size());
}

void SecurityForm::forgetPassword()
{
    Secret::wipe(m_state.password);
    Secret::wipe(m_weakPasswordTold);
}

void SecurityForm::setPassword(const QString &text)
{
    m_state.password = text;
    m_state.passwordKept = false;
    // The label's caption in the language in use, its count of 0 left out.
    const QString caption = m_dictionary.text(40, QStringLiteral("Length: 0"));
    m_state.lengthLabel = caption.endsWith(u'0') ? caption.chopped(1) : caption;
    if (!text.isEmpty()) {
        m_state.reachEnabled = {true, true, true, true};
        // A new password never takes the records out of the sealed file unasked.
        const bool sealed = m_state.reach == sealedReach || m_storedReach == sealedReach;
        m_state.reach = sealed ? sealedReach : 2;
        m_state.doNotExpireEnabled = true;
    } else {
        m_state.reachEnabled = {true, false, false, false};
        m_state.reach = 0;
        m_state.doNotExpireEnabled = false;
        setDoNotExpire(true);
    }
    m_state.expiryEnabled = false;
    if (const qsizetype space = text.indexOf(u' '); space >= 0)
        m_state.lengthLabel += u' ' + QString::number(space);
}

std::optional<int> SecurityForm::Text3_Change(const QString &typed)
{
    m_state.length = typed;
    return keepOnly(m_state.length, digits);
}

void SecurityForm::Check1_Click(bool checked)
{
    m_state.suggest = checked;
    m_state.level = checked ? 1 : 0;
}

void SecurityForm::selectLevel(int level)
{
    if (m_state.suggest)
        m_state.level = level;
}

void SecurityForm::selectReach(int reach)
{
    if (m_state.reachEnabled[reach])
        m_state.reach = reach;
}

bool SecurityForm::Check2_Click(bool checked)
{
    m_state.doNotExpire = checked;
    m_state.expiryEnabled = !checked;
    m_state.expiry = checked ? QString() : ExpiryDate::proposal(m_clock.today());
    return !checked;
}

void SecurityForm::setDoNotExpire(bool checked)
{
    if (m_state.doNotExpire != checked)
        Check2_Click(checked);
}

void SecurityForm::NormaliseExpiryDate()
{
    const ExpiryDate::Normalised date = ExpiryDate::normalise(m_state.expiry, m_clock.today());
    switch (date.outcome) {
    case ExpiryDate::Normalised::Done:
        m_state.expiry = date.text;
        break;
    case ExpiryDate::Normalised::NoExpiry:
        setDoNotExpire(true);
        m_state.expiry.clear();
        break;
    case ExpiryDate::Normalised::Failed:
        m_state.expiry.clear();
        m_state.expiryEnabled = false;
        break;
    }
}

void SecurityForm::SuggestPassword()
{
    if (m_state.level == 0)
        return;
    const int length = PasswordSuggestion::lengthOf(m_state.length);
    setPassword(PasswordSuggestion::boxText(
        PasswordSuggestion::suggest(m_state.level, length, m_state.reach == sealedReach)));
}

void SecurityForm::Command3_Click()
{
    if (!m_state.password.isEmpty() || m_state.passwordKept)
        setPassword(QString());
    m_state.expiry.clear();
    m_state.length.clear();
    Check1_Click(false);
    setDoNotExpire(true);
}

bool SecurityForm::Command2_Click()
{
    const auto refuse
        = [this](const Message &message) { showMessage(m_messages, m_dictionary, message); };
    std::optional<QString> current;
    if (m_storedReach == sealedReach && !(current = passwordInForce()))
        return false;
    // The empty box of the sealed level keeps the password in force, unless "None" is chosen.
    const bool kept = m_state.passwordKept && m_state.reach != 0;
    QString password = kept ? *current : m_state.password.section(u' ', 0, 0);
    // Once the settings hold the key derived from it, or nothing came of it.
    const auto forget = qScopeGuard([&] {
        Secret::wipe(password);
        if (current)
            Secret::wipe(*current);
    });
    if (m_state.password.isEmpty() && !kept) {
        setDoNotExpire(true);
        password = ConfigFile::unsetMark;
    }
    const QString reach = QString::number(qMax(m_state.reach, 0));
    const QString expiry = m_state.expiry.isEmpty() ? ConfigFile::noExpiry : m_state.expiry;
    // The sealed level never stores the password: the mark holds its place.
    const QString stored = reach == QLatin1String("3") ? ConfigFile::unsetMark : password;
    const QString line = ConfigFile::composeLine(expiry, stored, m_clock.today(), reach);
    if (line.contains(u' ')) {
        refuse(spaceInLine);
        return false;
    }
    if ((reach == QLatin1String("1") || reach == QLatin1String("3")) && password.isEmpty()) {
        refuse(emptyPassword);
        return false;
    }
    if (password == ConfigFile::unsetMark && !m_state.password.isEmpty()) {
        refuse(unsetMarkTyped);
        return false;
    }
    if (!ConfigFile::isDate(expiry)) {
        refuse(badExpiry);
        return false;
    }
    if (m_state.reach == sealedReach && !kept && password != m_weakPasswordTold
        && PasswordSuggestion::estimatedBits(password) < PasswordSuggestion::sealedMinimumBits) {
        Secret::wipe(m_weakPasswordTold);
        m_weakPasswordTold = Secret::ownCopy(password);
        refuse(weakSealedPassword);
        return false;
    }
    switch (m_change.store(line, reach, password)) {
    case SecurityChange::Result::Stored:
        break;
    case SecurityChange::Result::StoredCodedCopyLeft:
        refuse(codedCopyLeft);
        break;
    case SecurityChange::Result::ConfigurationFailed:
        refuse(configurationFailed);
        break;
    case SecurityChange::Result::DatabaseFailed:
        refuse(databaseFailed);
        break;
    case SecurityChange::Result::EncipheredKept:
        refuse(encipheredKept);
        return false;
    case SecurityChange::Result::SealedKept:
        refuse(sealedKept);
        return false;
    }
    return true;
}

std::optional<QString> SecurityForm::passwordInForce()
{
    std::optional<QString> entry = m_askPassword ? m_askPassword() : std::nullopt;
    if (!entry)
        return std::nullopt;
    const SealedFile::Status status = m_change.trySealed(*entry);
    if (status == SealedFile::Status::Opened)
        return entry;
    Secret::wipe(*entry);
    showMessage(m_messages, m_dictionary,
        status == SealedFile::Status::Refused ? notInForce : databaseFailed);
    return std::nullopt;
}
