#include "fakes/FileSizeLimit.h"
#include "fakes/ProgramFolder.h"
#include "vault/CipherText.h"
#include "vault/Database.h"
#include "vault/LineFile.h"
#include "vault/ProgramLock.h"
#include "vault/RecordCodec.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// "@" meets the key's second byte 0xB2 and enciphers to CR.
const QString keyWithLineBreaks = QString::fromUtf8("\xc3\xb2");

const QStringList awkwardLines = {
    QChar(0xFEFF) + QStringLiteral("0 mark first:!u:!p:!:!"),
    QString(2, QChar(0xFEFF)) + QStringLiteral("two marks:!u:!p:!:!"),
    QStringLiteral("a@b:!jo, \"q\":!p w:!  lead and trail  :!http://x.example/?a=1,2"),
    QStringLiteral("Bank:!me:!s3cr3t:!:!"),
    QString::fromUtf8("Caf\xc3\xa9 \xe2\x82\xac:!\xc3\xbc:!\xc3\x9f:!\"quoted\", comma:!"),
    QStringLiteral("no separator at all"),
    QStringLiteral("x:!y:!z:!with :! inside:!"),
    QStringLiteral("Signs:!ends with colon::!!starts and ends!:!:!"),
    QStringLiteral("Notes:!u:!p:!one\u2028two\u2028three:!"),
};
const QStringList awkwardRecords = inBookOrder(awkwardLines);

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int modeOf(const QString &path)
{
    struct stat info;
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

} // namespace

class DatabaseTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder = std::make_unique<ProgramFolder>();
        m_access = VaultAccess();
        m_database = std::make_unique<Database>(m_folder->dir.path(), m_access);
        m_database->EnsureDataFolder();
    }

    // The copies that sync tools leave beside the files are named, copies of the list first;
    // the files themselves, the program's own leftovers and the copies set aside are not.
    void conflictCopiesAreNamed()
    {
        const QStringList named {"CF2DB.Conflict.removed",
            "CF2DB (SFConflict me@h 2026-12-07-12-00-00).edb",
            "CF2DB (h's conflicted copy 2026-12-07).pdb",
            "CF2DB.sync-conflict-20261207-120000-ABC.sdb", "CF2DB_conflict-20261207-120000.pdb"};
        const QStringList others {"CF2DB.pdb", "CF2DB.removed", "CF2DB.pdb.vaultine-new",
            "CF2DB_conflict-1.pdb.merged-20261207-120000", "Coffrel.cnf", "conflict.txt"};
        for (const QString &name : named + others)
            QVERIFY(LineFile::writeLines(m_folder->dir.path() + "/Data/" + name, {}));
        QCOMPARE(database().conflictCopies(), named);
    }
    // The configuration gets no bit that it lacked.
    void widerModesAreTightened()
    {
        const QList<std::tuple<QString, int, int>> modes {{"Data/CF2DB.pdb", 0644, 0600},
            {"Data/CF2DB.edb", 0666, 0600}, {"Data/Coffrel.cnf", 0440, 0400}, {"Data", 0755, 0700}};
        for (const auto &[name, before, after] : modes) {
            const QString path = m_folder->dir.path() + u'/' + name;
            QVERIFY(QFileInfo(path).isDir() || LineFile::writeLines(path, {}));
            QCOMPARE(chmod(QFile::encodeName(path).constData(), before), 0);
        }
        database().EnsureDataFolder();
        for (const auto &[name, before, after] : modes)
            QCOMPARE(modeOf(m_folder->dir.path() + u'/' + name), after);
    }
    void recordsSurviveWriteAndLoad_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("rewrite");
        // Each append finds a last line whose LF was cut by another tool.
        QTest::addColumn<int>("cutLineEnds");
        const auto row
            = [](const char *name, const char *reach, const QString &key, bool rewrite,
                  int cut = 0) { QTest::newRow(name) << QString(reach) << key << rewrite << cut; };
        row("reach 0, appended", "0", "", false);
        row("reach 0, rewritten", "0", "", true);
        row("reach 0, appended after lone CRs", "0", "", false, 1);
        row("reach 2, appended", "2", "", false);
        row("reach 1, appended", "1", keyWithLineBreaks, false);
        row("reach 1, rewritten", "1", keyWithLineBreaks, true);
        row("reach 1, appended after lone CRs", "1", keyWithLineBreaks, false, 1);
        row("reach 1, ascii key", "1", "master key", true);
        row("reach 1, ascii key, appended", "1", "master key", false);
        row("reach 1, key of signs", "1", "!\"#$%&'()*+,-./;<=>?@[\\]^_`{|}~", true);
        row("reach 1, key beyond the basic plane", "1",
            QString::fromUtf8("\xf0\x9f\x98\x80\xe2\x80\x8b\xef\xbf\xbf"), false);
    }
    void recordsSurviveWriteAndLoad()
    {
        QFETCH(QString, reach);
        QFETCH(QString, key);
        QFETCH(bool, rewrite);
        QFETCH(int, cutLineEnds);
        m_access.reach = reach;
        m_access.databaseKey = key;
        const bool enciphered = reach == "1";
        if (key == keyWithLineBreaks) {
            const QByteArray coded = EncodeRecord(RecordLine::toBytes(awkwardLines[2]));
            QVERIFY(CipherText(coded, RecordLine::toBytes(key))->contains('\r'));
        }
        QFile file(enciphered ? database().encipheredPath() : database().codedPath());
        if (rewrite) {
            QVERIFY(database().RewriteDatabase(awkwardRecords));
        } else {
            for (const QString &line : awkwardRecords) {
                QVERIFY(database().AppendRecord(line));
                QVERIFY(file.resize(file.size() - cutLineEnds));
            }
        }
        // Compared as text, not through the program's order.
        QStringList stored = m_folder->stored(m_access.reach, m_access.databaseKey);
        QStringList written = awkwardLines;
        std::ranges::sort(stored);
        std::ranges::sort(written);
        QCOMPARE(stored, written);
        if (key == "master key") // an ascii line gives the plain cipher bytes
            QVERIFY(
                fileBytes(file.fileName())
                    .contains(*CipherText(EncodeRecord(awkwardLines[3].toLatin1()), key.toLatin1())
                        + "\r\n"));
        if (!cutLineEnds) // one line each, also where a byte enciphers to CR
            QCOMPARE(fileBytes(file.fileName()).count('\n'), awkwardRecords.size());
        QVERIFY(noClearCopy());
        QCOMPARE(modeOf(file.fileName()), 0600);
        QVERIFY(!QFile::exists(enciphered ? database().codedPath() : database().encipheredPath()));
    }
    // An editor's byte order mark at the start of the file is dropped; one inside a line stays.
    void emptyLinesAreSkipped()
    {
        const QByteArray mark = "\xEF\xBB\xBF";
        const QByteArray coded = EncodeRecord("A:!b:!c:!:!");
        QVERIFY(LineFile::writeLines(database().codedPath(),
            {mark + coded, QByteArray(), mark + "lonely"}, LineFile::ByteOrderMark::Keep));
        const Database::Records records = database().LoadRecords(Database::Source::Coded);
        QCOMPARE(records.book.records(),
            QStringList(
                {"A:!b:!c:!:!", QChar(0xFEFF) + QString::fromLatin1(DecodeRecord("lonely"))}));
    }
    void failedWritesLeaveTheFileIntact_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<bool>("append");
        QTest::newRow("append, coded") << "0" << true;
        QTest::newRow("rewrite, coded") << "0" << false;
        QTest::newRow("append, enciphered") << "1" << true;
        QTest::newRow("rewrite, enciphered") << "1" << false;
    }
    void failedWritesLeaveTheFileIntact()
    {
        QFETCH(QString, reach);
        QFETCH(bool, append);
        m_access.reach = reach;
        m_access.databaseKey = QStringLiteral("key");
        const QString path = reach == "1" ? database().encipheredPath() : database().codedPath();
        QVERIFY(database().RewriteDatabase(awkwardRecords));
        const QByteArray before = fileBytes(path);

        const QStringList more = awkwardRecords + QStringList {QStringLiteral("Zed:!u:!p:!:!")};
        {
            const FileSizeLimit limit(before.size());
            QVERIFY(
                append ? !database().AppendRecord(more.last()) : !database().RewriteDatabase(more));
        }
        QCOMPARE(fileBytes(path), before);
        QVERIFY(noClearCopy());
        QCOMPARE(QDir(database().dataFolder()).entryList(QDir::Files),
            QStringList({QFileInfo(path).fileName(), ProgramLock::fileName}));
    }
    void cutAppendsAreNoRecords_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<int>("kept"); // bytes of the appended line; below 0: all but that many
        QTest::addColumn<bool>("zeros"); // in place of the rest of it
        QTest::addColumn<bool>("rewrite"); // next, instead of an add
        for (const char *reach : {"0", "1"}) {
            const auto row
                = [&](const char *name, int kept, bool zeros = false, bool rewrite = false) {
                      QTest::addRow("reach %s, %s", reach, name)
                          << QString(reach) << kept << zeros << rewrite;
                  };
            row("its first byte", 1);
            row("half of it", 8);
            row("all but its line end", -2);
            row("all but its LF", -1); // a whole record
            row("all but its LF, then a zero byte", -1, true); // a whole record, then a cut
            row("zero bytes", 0, true);
            row("half, then zero bytes", 8, true);
            row("half, then a rewrite", 8, false, true);
        }
    }
    // An append that a power cut cut short is no record: its bytes are set aside, dated, and
    // the next write leaves them out.
    void cutAppendsAreNoRecords()
    {
        QFETCH(QString, reach);
        QFETCH(int, kept);
        QFETCH(bool, zeros);
        QFETCH(bool, rewrite);
        m_access = {reach, QStringLiteral("key")};
        const QString path = reach == "1" ? database().encipheredPath() : database().codedPath();
        const QString beta = QStringLiteral("Beta:!b:!pw:!:!"),
                      gamma = QStringLiteral("G:!g:!p:!:!");
        QVERIFY(database().RewriteDatabase(awkwardRecords));
        const QByteArray before = fileBytes(path);
        QVERIFY(database().AppendRecord(beta));
        const QByteArray line = fileBytes(path).sliced(before.size());
        QByteArray cut = line.first(kept < 0 ? line.size() + kept : kept);
        cut.append(QByteArray(zeros ? line.size() - cut.size() : 0, '\0'));
        QVERIFY(LineFile::writeContent(path, before + cut));
        const bool whole = kept == -1;
        const QStringList listed = whole ? awkwardLines + QStringList {beta} : awkwardLines;
        QCOMPARE(m_folder->stored(reach, m_access.databaseKey), inBookOrder(listed));

        Database next(m_folder->dir.path(), m_access);
        next.setClock(m_folder->fake.clock);
        QVERIFY(rewrite ? next.RewriteDatabase(listed + QStringList {gamma})
                        : next.AppendRecord(gamma));
        QCOMPARE(m_folder->stored(reach, m_access.databaseKey),
            inBookOrder(listed + QStringList {gamma}));
        const QString aside = path + QStringLiteral(".cut-20240115-120000-000");
        const QByteArray lost = whole ? cut.sliced(line.size() - 1) : cut;
        QCOMPARE(QFile::exists(aside), !lost.isEmpty());
        if (!lost.isEmpty()) {
            QCOMPARE(fileBytes(aside), lost);
            QCOMPARE(modeOf(aside), 0600);
        }
    }
    void missingKeyIsReadWithoutAsking()
    {
        m_access.reach = QStringLiteral("1");
        int asked = 0;
        database().setKeyLoader([&] {
            ++asked;
            m_access.databaseKey = QStringLiteral("from configuration");
        });
        QVERIFY(database().AppendRecord(awkwardRecords.first()));
        QCOMPARE(asked, 1);
        QCOMPARE(m_folder->stored(m_access.reach, m_access.databaseKey),
            QStringList {awkwardRecords.first()});

        m_access.databaseKey.clear();
        database().setKeyLoader([] {});
        QVERIFY(!database().AppendRecord(awkwardRecords.last()));
        QVERIFY(!database().RewriteDatabase(awkwardRecords));
    }
    void oneWindowAndOneWriterAtATime()
    {
        using Lock = ProgramLock;
        const QString data = database().dataFolder();
        // A lock file left by a program that died holds nothing.
        QFile leftover(data + u'/' + Lock::fileName);
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        Lock window(data, Lock::Scope::Run);
        QCOMPARE(window.acquire(0), Lock::Result::Acquired);
        QCOMPARE(Lock(data, Lock::Scope::Run).acquire(0), Lock::Result::HeldByLiveProgram);
        // The command line writes while the window is open, one write at a time.
        Lock write(data, Lock::Scope::Write);
        QCOMPARE(write.acquire(0), Lock::Result::Acquired);
        QCOMPARE(Lock(data, Lock::Scope::Write).acquire(0), Lock::Result::HeldByLiveProgram);
        QVERIFY(!database().AppendRecord(awkwardRecords.first()));
        QVERIFY(database().failure().endsWith(u"nothing was written."));
    }
    // A rewrite from a list older than the file (another program added meanwhile) writes
    // nothing: the other's record stays.
    void rewriteFromAnOlderListIsRefused()
    {
        QVERIFY(database().RewriteDatabase(awkwardRecords));
        VaultAccess otherAccess = m_access;
        QVERIFY(Database(m_folder->dir.path(), otherAccess).AppendRecord("Other:!o:!p:!:!"));
        QVERIFY(!database().RewriteDatabase(awkwardRecords.mid(1)));
        QVERIFY(database().failure().contains(u"changed it after this one read it"));
        QCOMPARE(m_folder->stored(m_access.reach, m_access.databaseKey).size(),
            awkwardRecords.size() + 1);
    }
    // A program that read the coded file appends nothing after another moved the records out
    // of it (a change of level): a new coded file beside theirs would never be listed.
    void appendAfterTheRecordsMovedIsRefused()
    {
        QVERIFY(database().RewriteDatabase(awkwardRecords));
        QVERIFY(database().LoadRecords(Database::Source::Coded).readWhole);
        const QString coded = database().codedPath();
        QVERIFY(QFile::rename(coded, coded + ".moved"));
        QVERIFY(!database().AppendRecord(awkwardRecords.first()));
        QVERIFY(!QFile::exists(coded));
        QVERIFY(database().failure().contains(u"moved the records out of it"));
    }

private:
    Database &database() { return *m_database; }
    // Nothing but the Data folder is written.
    bool noClearCopy() const
    {
        return m_folder->noClearCopy()
            && QDir(m_folder->dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
            == QStringList({"Data", "tmp"});
    }
    std::unique_ptr<ProgramFolder> m_folder;
    VaultAccess m_access;
    std::unique_ptr<Database> m_database;
};

QTEST_GUILESS_MAIN(DatabaseTest)
#include "tst_database.moc"
