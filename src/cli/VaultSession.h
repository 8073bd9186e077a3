#pragma once

#include "MasterPasswordGate.h"
#include "records/RecordEditor.h"
#include "records/ServiceListModel.h"
#include "security/ConfigFile.h"
#include "security/VaultOpening.h"
#include "vault/Database.h"
#include "vault/VaultAccess.h"

struct Invocation;

// The records of a program folder as the window opens them: the settings read, the master
// password asked, the records loaded. Reading takes no lock and writes no file; a session
// that writes holds the folder's lock, which the window holds while it runs.
class VaultSession : private VaultOpening::Dialogue
{
public:
    enum class Mode { Read, Write };

    explicit VaultSession(const Invocation &invocation);

    // False when refused; the reason is told.
    bool open(Mode mode);

    const RecordBook &book() const { return m_records.book(); }
    RecordEditor &editor() { return m_editor; }
    // The fields of every record of exactly this service name, five each; tells when none.
    QList<QStringList> recordsOf(const QString &service) const;
    // Where the one record of exactly this service name stands; tells when none or several.
    std::optional<qsizetype> onlyRecordOf(const QString &service) const;
    // Tells a refused change, with the text after it and, for a failed write, the file and the
    // system's reason; true when it was done.
    bool done(RecordEditor::Result result, const QString &after = {}) const;

private:
    QList<qsizetype> indicesOf(const QString &service) const;
    MasterPasswordGate::Entries passwordEntries();
    bool askPassword(const PasswordCheck::Test &isPassword) override;
    void passwordAccepted(const QString &expiry) override;
    void tell(const Message &message, const QString &detail = {}) override;

    Console &m_console;
    bool m_passwordFromStdin;
    MasterPasswordGate::Entries m_entries;
    VaultAccess m_access;
    Database m_database;
    ConfigFile m_config;
    VaultOpening m_opening;
    ServiceListModel m_records;
    RecordEditor m_editor;
};
