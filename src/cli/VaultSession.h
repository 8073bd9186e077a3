#pragma once

#include "MasterPasswordGate.h"
#include "records/RecordEditor.h"
#include "records/ServiceListModel.h"
#include "security/ConfigFile.h"
#include "security/KeptKey.h"
#include "security/VaultOpening.h"
#include "vault/Database.h"
#include "vault/VaultAccess.h"

#include <QCommandLineOption>

struct Invocation;

// The records of a program folder as the window opens them: the settings read, the master
// password asked, the records loaded. Reading takes no lock and writes no file; a session
// that writes holds the folder's lock, which the window holds while it runs.
class VaultSession : private VaultOpening::Dialogue
{
public:
    enum class Mode { Read, Write };

    // At the sealed level the key that unlock kept is used, unless asked anew.
    enum class Password { KeptKeyFirst, AskedAnew };

    explicit VaultSession(const Invocation &invocation, Password password = Password::KeptKeyFirst);

    // False when refused; the reason is told.
    bool open(Mode mode);

    const RecordBook &book() const { return m_records.book(); }
    RecordEditor &editor() { return m_editor; }
    Database &database() { return m_database; }
    const ConfigFile &config() const { return m_config; }
    // The folder's list of removals (or a conflict copy of it); none, told, when it cannot be
    // read.
    std::optional<RemovalList> removals(const QString &name = RemovalList::fileName);
    // --which USERNAME: of the records of a service, the one of that username.
    static const QCommandLineOption which;

    // The fields of every record of exactly the service name the command was given, five
    // each as given out, only the one of --which's username when it is given; tells when none.
    QList<QStringList> recordsOf(const Invocation &invocation) const;
    // Where the one record of exactly that service name stands, of --which's username when it
    // is given; tells when none, or several, naming their usernames.
    std::optional<qsizetype> chosenRecord(const Invocation &invocation) const;
    // Tells a refused change, with the text after it and, for a failed write, the file and the
    // system's reason; true when it was done.
    bool done(RecordEditor::Result result, const QString &after = {});

private:
    QList<qsizetype> indicesOf(const Invocation &invocation) const;
    MasterPasswordGate::Entries passwordEntries();
    bool askPassword(const PasswordCheck::Test &isPassword) override;
    std::optional<SealedFile::Key> keptKey() override;
    void keptKeyRefused() override { m_kept.forget(); }
    void passwordAccepted(const QString &expiry) override;
    void tell(const Message &message, const QString &detail) override;

    Console &m_console;
    bool m_passwordFromStdin;
    Password m_password;
    KeptKey m_kept;
    MasterPasswordGate::Entries m_entries;
    VaultAccess m_access;
    Database m_database;
    ConfigFile m_config;
    VaultOpening m_opening;
    ServiceListModel m_records;
    RecordEditor m_editor;
};
