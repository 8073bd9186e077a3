// Runs one write of the window once on a program folder, opened as the window opens it, so that
// tst_crashstates can record its file operations.
// Usage: window_writer FOLDER add|replace|remove|import PASSWORD
//        window_writer FOLDER change PASSWORD REACH NEW-PASSWORD ("-": none)

#include "fakes/FakeDialogue.h"
#include "import/OldDatabase.h"
#include "records/RecordEditor.h"
#include "records/ServiceListModel.h"
#include "security/ConfigFile.h"
#include "security/SecurityChange.h"
#include "vault/Database.h"
#include "vault/VaultAccess.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 4 && argc != 6)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray command = argv[2];
    SealedFile::Cost::setStandardForTests({1, 8});

    VaultAccess access;
    Database database(folder, access);
    const ConfigFile config(database.dataFolder());
    database.setKeyLoader([&] { config.loadInto(access); });
    ProgramLock lock(database.dataFolder(), ProgramLock::Scope::Run);
    database.lockDataFolder(lock, 0, folder + QStringLiteral("/tmp"));
    database.EnsureDataFolder();
    FakeDialogue dialogue;
    dialogue.typed = {QString::fromUtf8(argv[3])};
    const std::optional<Database::Records> records
        = VaultOpening(database, config, access).open(dialogue);
    if (!records || !records->readWhole)
        return 1;
    ServiceListModel model;
    model.setBook(records->book);
    RecordEditor editor(model, database);

    const QStringList fields {QStringLiteral("New"), QString::fromUtf8("n\xc3\xb2"),
        QStringLiteral("pw, \"q\""), QString(), QStringLiteral("http://n")};
    RecordEditor::Result result = RecordEditor::Result::NothingSelected;
    if (command == "add")
        result = editor.addRecord(fields);
    else if (command == "replace")
        result = editor.replaceRecord(1, fields);
    else if (command == "remove")
        result = editor.removeRecord(0);
    else if (command == "import")
        result = editor.importRecords(OldDatabase::readRecords(folder).value_or(QStringList()));
    if (command != "change")
        return result == RecordEditor::Result::Done ? 0 : 1;

    // As the settings dialog stores them: the sealed level and none hold no password.
    const QString reach = QString::fromLatin1(argv[4]);
    const QString password
        = argv[5] == QByteArray("-") ? ConfigFile::unsetMark : QString::fromUtf8(argv[5]);
    const QString line = ConfigFile::composeLine(ConfigFile::noExpiry,
        reach == u'3' ? ConfigFile::unsetMark : password, QStringLiteral("01-15-2026"), reach);
    return SecurityChange(database, access, config).store(line, reach, password)
            == SecurityChange::Result::Stored
        ? 0
        : 1;
}
