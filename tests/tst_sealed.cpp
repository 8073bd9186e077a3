#include "fakes/FileSizeLimit.h"
#include "vault/LineFile.h"
#include "vault/RecordCodec.h"
#include "vault/SealedFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using Cost = SealedFile::Cost;
using Status = SealedFile::Status;

namespace {

// The tests check the format; the standard cost only makes them slow.
constexpr Cost cheap {1, 8};
const QString master = QStringLiteral("correct horse");
const QByteArray records = "Mailbox:!me@example.org:!s3cr3t-Pw:!:!\r\nBank:!me:!pin:!:!\r\n";
const QString composed = QStringLiteral("Zo\u00eb-\u00c5ngstr\u00f6m");
const QString decomposed = composed.normalized(QString::NormalizationForm_D);
// "c" sealed by the format's first version at the cheap cost under `decomposed` as typed.
const QByteArray firstVersion = QByteArray::fromHex(
    "5661756c74696e65207365616c65640a0101000000080000000f30ad524ccc75aebddf119ca7d4e0"
    "5fa43e69467a33451ec15249b2e17edd1c98d825a46138dd56cb0aa389f22b19f0bae9c1db4a070d"
    "6d51");

} // namespace

class SealedTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_shipped = Cost::standard(); }
    void init()
    {
        Cost::setStandardForTests(cheap);
        m_folder = std::make_unique<QTemporaryDir>();
        m_data = std::make_unique<DataFolder>(m_folder->path());
        m_file = std::make_unique<SealedFile>(*m_data, QStringLiteral("sealed"));
    }

    void sealedContentOpensAgain_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("password"); // sealed again under it, with a new key
        QTest::addColumn<QString>("sealedUnder");
        QTest::addColumn<QString>("typed"); // the form it is opened in
        const auto row = [](const char *name, const QByteArray &content, const QString &password,
                             const QString &sealedUnder = master, const QString &typed = master) {
            QTest::newRow(name) << content << password << sealedUnder << typed;
        };
        row("coded records", EncodeRecord(records), master);
        row("no records", QByteArray(), master);
        row("password changed", EncodeRecord(records), QStringLiteral("n3w"));
        row("password emptied", "x", QString());
        row("a block but a byte", QByteArray(4095, 'r'), master);
        row("a whole block", QByteArray(4096, 'r'), master);
        // The password opens in any Unicode form it is typed in.
        row("composed, typed decomposed", "c", decomposed, composed, decomposed);
        row("decomposed, typed composed", "c", composed, decomposed, composed);
    }
    void sealedContentOpensAgain()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, password);
        QFETCH(QString, sealedUnder);
        QFETCH(QString, typed);
        const SealedFile::Key key = *SealedFile::Key::create(sealedUnder, cheap);
        QVERIFY(m_file->seal(key, content));
        SealedFile::Opened opened = m_file->open(typed);
        QCOMPARE(opened.status, Status::Opened);
        QCOMPARE(opened.content, content);
        QCOMPARE(QFile::permissions(path()),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

        // The size tells the number of 4 KiB blocks the content fills, not its length.
        const QByteArray first = LineFile::readContent(path()).bytes;
        QCOMPARE(first.size(), 113 + (content.size() / 4096 + 1) * 4096 + 16);

        // The kept key seals again under a fresh nonce; a new password under a new salt.
        if (password != typed) {
            opened.key = SealedFile::Key::create(password, cheap);
            QVERIFY(opened.key->salt() != key.salt());
        }
        QVERIFY(m_file->seal(*opened.key, content));
        const QByteArray second = LineFile::readContent(path()).bytes;
        QVERIFY(second.size() == first.size() && second.mid(41, 24) != first.mid(41, 24));
        QCOMPARE(m_file->open(password).content, content);
        QCOMPARE(m_file->open(password + u'x').status, Status::Refused);
        QCOMPARE(m_file->open(typed).status == Status::Opened, password == typed);

        // Nothing of the records, plain or coded, nor the password is in the file.
        for (const QByteArray &known : {QByteArray("Mailbox"), QByteArray("s3cr3t-Pw"),
                 EncodeRecord("Mailbox"), EncodeRecord("s3cr3t-Pw"), sealedUnder.toUtf8()})
            QVERIFY2(!(first + second).contains(known), known.constData());
    }

    // With the right password a changed or cut file is damaged, told from a wrong password (the
    // first version cannot tell them); a seal failing on a full disk keeps the file as it was. A
    // file sealed by the first version, before passwords were normalised, opens as typed then.
    void changedFileIsDamaged_data()
    {
        QTest::addColumn<bool>("old"); // the first version's file, else one sealed now
        QTest::addColumn<int>("at"); // this byte XORed with 3 (the version 2 read as 1)
        QTest::addColumn<int>("size"); // the bytes kept: -1 all, -2 no file, -3 a folder
        QTest::addColumn<bool>("wrong"); // the password typed is wrong
        QTest::addColumn<Status>("status");
        QTest::addColumn<int>("room"); // bytes this process may write to a file, -1 all
        const auto row = [](const char *name, int at, int size, Status status, int room = -1,
                             bool wrong = false, bool old = false) {
            QTest::newRow(name) << old << at << size << wrong << status << room;
        };
        // Every field of the format changed.
        for (const auto &[name, at] : {std::pair {"magic", 0}, {"version read as the first", 16},
                 {"passes", 17}, {"memory", 21}, {"salt", 40}, {"nonce", 41}, {"key check", 65},
                 {"checksum", 112}, {"content", 113}, {"padding", 4208}, {"tag", 4224}})
            row(name, at, -1, Status::Damaged);
        row("last byte cut", -1, 4224, Status::Damaged);
        row("cut to the header", -1, 113, Status::Damaged);
        row("emptied", -1, 0, Status::Damaged);
        row("wrong password", -1, -1, Status::Refused, -1, true);
        row("missing", -1, -2, Status::Missing);
        row("a folder", -1, -3, Status::Unreadable);
        row("nothing written", -1, -1, Status::Opened, 0);
        row("header only", -1, -1, Status::Opened, 113);
        row("tag cut off", -1, -1, Status::Opened, 4209);
        row("first version", -1, -1, Status::Opened, -1, false, true);
        row("first version's salt", 40, -1, Status::Refused, -1, false, true);
        row("first version's content", 65, -1, Status::Refused, -1, false, true);
        row("first version's last byte cut", -1, 81, Status::Refused, -1, false, true);
        row("first version cut into the tag", -1, 80, Status::Damaged, -1, false, true);
        row("first version, wrong password", -1, -1, Status::Refused, -1, true, true);
    }
    void changedFileIsDamaged()
    {
        QFETCH(bool, old);
        QFETCH(int, at);
        QFETCH(int, size);
        QFETCH(bool, wrong);
        QFETCH(Status, status);
        QFETCH(int, room);
        const SealedFile::Key key = *SealedFile::Key::create(master, cheap);
        QVERIFY(old ? LineFile::writeContent(path(), firstVersion) : m_file->seal(key, "c"));
        QByteArray bytes = LineFile::readContent(path()).bytes;
        if (at >= 0)
            bytes[at] ^= 3;
        if (size >= 0)
            bytes.truncate(size);
        QVERIFY(size < -1 ? QFile::remove(path()) : LineFile::writeContent(path(), bytes));
        if (size == -3)
            QVERIFY(QDir().mkdir(path()));
        if (room >= 0) {
            const FileSizeLimit limit(room);
            QVERIFY(!m_file->seal(key, QByteArray(1000, 'r')));
        }

        const QString typed
            = (old ? decomposed : master) + (wrong ? QStringLiteral("x") : QString());
        const SealedFile::Opened opened = m_file->open(typed);
        QCOMPARE(opened.status, status);
        QCOMPARE(opened.content, status == Status::Opened ? "c" : "");
        QCOMPARE(bool(opened.key), status == Status::Opened);
        if (size >= -1)
            QCOMPARE(LineFile::readContent(path()).bytes, bytes);
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files).size(), size < -1 ? 0 : 1);
        // Sealed again with the key it opened with (the first version's too), it still opens.
        QVERIFY(!opened.key || m_file->seal(*opened.key, "d"));
        QCOMPARE(m_file->open(typed).content, opened.key ? "d" : "");
    }

    // A file asking for a cost out of bounds is damaged and never derived: below the least
    // recommended cost it would be weak, above the most it would take minutes or all memory. One
    // sealed below the standard, in passes or in memory, is told so that it can be sealed again.
    void costIsBoundedAndTold_data()
    {
        QTest::addColumn<Cost>("cost");
        QTest::addColumn<bool>("bounded");
        QTest::addColumn<Cost>("standard"); // when it is opened; none: not derived
        QTest::addColumn<bool>("below");
        const auto row = [](const char *name, Cost cost, bool bounded, Cost standard = {},
                             bool below = false) {
            QTest::newRow(name) << cost << bounded << standard << below;
        };
        row("least, the standard", {2, 19456}, true, {2, 19456});
        row("most", {10, 1024 * 1024}, true);
        row("one pass", {1, 19456}, false);
        row("a KiB below the least", {2, 19455}, false);
        row("eleven passes", {11, 19456}, false);
        row("a KiB above the most", {10, 1024 * 1024 + 1}, false);
        row("the tests' cost", cheap, false);
        row("above the standard", {3, 20480}, true, {2, 19456});
        row("less memory", {2, 19456}, true, {2, 20480}, true);
        row("fewer passes", {2, 20480}, true, {3, 19456}, true);
    }
    void costIsBoundedAndTold()
    {
        QFETCH(Cost, cost);
        QFETCH(bool, bounded);
        QFETCH(Cost, standard);
        QFETCH(bool, below);
        Cost::setStandardForTests(m_shipped);
        QByteArray bytes = firstVersion;
        qToLittleEndian<quint32>(cost.passes, bytes.data() + 17);
        qToLittleEndian<quint32>(cost.kibibytes, bytes.data() + 21);
        const std::optional<SealedFile::Header> header = SealedFile::readHeader(bytes);
        QCOMPARE(bool(header), bounded);
        if (!bounded) {
            QVERIFY(!SealedFile::Key::create(master, cost));
            QVERIFY(LineFile::writeContent(path(), bytes));
            QCOMPARE(m_file->open(decomposed).status, Status::Damaged);
            return;
        }
        QCOMPARE(header->cost, cost);
        if (standard == Cost {})
            return;
        QVERIFY(m_file->seal(*SealedFile::Key::create(master, cost), "c"));
        Cost::setStandardForTests(standard);
        const SealedFile::Opened opened = m_file->open(master);
        QCOMPARE(opened.status, Status::Opened);
        QCOMPARE(opened.belowStandardCost, below);
        QVERIFY(!m_file->open(master + u'x').belowStandardCost);
    }

private:
    QString path() const { return m_folder->filePath(QStringLiteral("sealed")); }

    Cost m_shipped {};
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<DataFolder> m_data;
    std::unique_ptr<SealedFile> m_file;
};

QTEST_GUILESS_MAIN(SealedTest)
#include "tst_sealed.moc"
