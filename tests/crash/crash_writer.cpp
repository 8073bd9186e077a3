// Runs one kind of write again and again on a program folder until it is killed. Before each
// write it prints the number of the state that write leaves (see CrashStates.h).
// Usage: crash_writer <program folder> <operation> <state the folder is in>

#include "CrashStates.h"
#include "records/RecordEditor.h"
#include "records/ServiceListModel.h"
#include "security/SecurityChange.h"
#include "vault/Database.h"
#include "vault/VaultAccess.h"

#include <cstdio>

using namespace CrashStates;

int main(int argc, char *argv[])
{
    if (argc != 4)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString operation = QString::fromLatin1(argv[2]);
    int n = std::atoi(argv[3]);

    SealedFile::Cost::setStandardForTests({1, 8});
    const State current = stateOf(operation, n);
    VaultAccess access {current.reach, current.key};
    Database database(folder, access);
    if (access.sealed())
        database.openSealed(current.key);
    const ConfigFile config(database.dataFolder());
    SecurityChange change(database, access, config);
    ServiceListModel model;
    model.load(current.records);
    RecordEditor editor(model, database);
    const QStringList imported = OldDatabase::readRecords(folder).value_or(QStringList());

    // Each write computes no more than it needs, so that most kills meet it under way.
    const auto write = [&](int i) {
        if (operation.startsWith(u"add"))
            return database.AppendRecord(record(i, 0));
        if (operation.startsWith(u"rewrite"))
            return database.RewriteDatabase(stateOf(operation, i).records);
        if (operation.startsWith(u"import"))
            return editor.importRecords(imported) == RecordEditor::Result::Done;
        const State next = stateOf(operation, i);
        if (operation == u"config")
            return config.write(next.configLine());
        const QString password = next.key.isEmpty() ? ConfigFile::unsetMark : next.key;
        return change.store(next.configLine(), next.reach, password)
            == SecurityChange::Result::Stored;
    };
    for (const int last = n + 100000; n < last;) {
        std::printf("%d\n", ++n);
        std::fflush(stdout);
        if (!write(n)) {
            std::fprintf(stderr, "write %d failed\n", n);
            return 1;
        }
    }
    return 0;
}
