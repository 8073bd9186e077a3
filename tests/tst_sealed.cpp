#include "fakes/FileSizeLimit.h"
#include "vault/LineFile.h"
#include "vault/RecordCodec.h"
#include "vault/SealedFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using Status = SealedFile::Status;

namespace {

// The tests check the format; the standard cost only makes them slow.
constexpr SealedFile::Cost cheap {1, 8};
const QString master = QStringLiteral("correct horse");
const QByteArray records = "Mailbox:!me@example.org:!s3cr3t-Pw:!:!\r\nBank:!me:!pin:!:!\r\n";

} // namespace

class SealedTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_data = std::make_unique<DataFolder>(m_folder->path());
        m_file = std::make_unique<SealedFile>(*m_data, QStringLiteral("sealed"));
    }

    void sealedContentOpensAgain_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("password"); // sealed again under it, with a new key
        QTest::newRow("coded records") << EncodeRecord(records) << master;
        QTest::newRow("no records") << QByteArray() << master;
        QTest::newRow("password changed") << EncodeRecord(records) << QStringLiteral("n3w");
        QTest::newRow("password emptied") << QByteArray("x") << QString();
    }
    void sealedContentOpensAgain()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, password);
        const SealedFile::Key key = *SealedFile::Key::create(master, cheap);
        QVERIFY(m_file->seal(key, content));
        SealedFile::Opened opened = m_file->open(master);
        QCOMPARE(opened.status, Status::Opened);
        QCOMPARE(opened.content, content);
        QCOMPARE(QFile::permissions(path()),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

        // The kept key seals again under a fresh nonce; a new password under a new salt.
        const QByteArray first = LineFile::readContent(path()).bytes;
        if (password != master) {
            opened.key = SealedFile::Key::create(password, cheap);
            QVERIFY(opened.key->salt() != key.salt());
        }
        QVERIFY(m_file->seal(*opened.key, content));
        const QByteArray second = LineFile::readContent(path()).bytes;
        QVERIFY(second.size() == first.size() && second.mid(41, 24) != first.mid(41, 24));
        QCOMPARE(m_file->open(password).content, content);
        QCOMPARE(m_file->open(password + u'x').status, Status::Refused);
        QCOMPARE(m_file->open(master).status == Status::Opened, password == master);

        // Nothing of the records, plain or coded, nor the password is in the file.
        for (const QByteArray &known : {QByteArray("Mailbox"), QByteArray("s3cr3t-Pw"),
                 EncodeRecord("Mailbox"), EncodeRecord("s3cr3t-Pw"), master.toUtf8()})
            QVERIFY2(!(first + second).contains(known), known.constData());
    }

    // Changed, cut or missing: refused; a seal failing on a full disk keeps the file as it was.
    void changedFileIsRefused_data()
    {
        QTest::addColumn<int>("at"); // this byte of the 82 XORed with 2
        QTest::addColumn<int>("size"); // the bytes kept: -1 all, -2 no file, -3 a folder
        QTest::addColumn<Status>("status");
        QTest::addColumn<int>("room"); // bytes this process may write to a file, -1 all
        QTest::newRow("magic") << 0 << -1 << Status::Damaged << -1;
        QTest::newRow("version") << 16 << -1 << Status::Damaged << -1;
        QTest::newRow("passes") << 17 << -1 << Status::Refused << -1;
        QTest::newRow("passes out of bounds") << 20 << -1 << Status::Damaged << -1;
        QTest::newRow("memory") << 21 << -1 << Status::Refused << -1;
        QTest::newRow("memory out of bounds") << 24 << -1 << Status::Damaged << -1;
        QTest::newRow("salt") << 40 << -1 << Status::Refused << -1;
        QTest::newRow("nonce") << 41 << -1 << Status::Refused << -1;
        QTest::newRow("ciphertext") << 65 << -1 << Status::Refused << -1;
        QTest::newRow("tag") << 81 << -1 << Status::Refused << -1;
        QTest::newRow("last byte cut") << -1 << 81 << Status::Refused << -1;
        QTest::newRow("cut into the tag") << -1 << 80 << Status::Damaged << -1;
        QTest::newRow("emptied") << -1 << 0 << Status::Damaged << -1;
        QTest::newRow("missing") << -1 << -2 << Status::Missing << -1;
        QTest::newRow("a folder") << -1 << -3 << Status::Unreadable << -1;
        QTest::newRow("nothing written") << -1 << -1 << Status::Opened << 0;
        QTest::newRow("header only") << -1 << -1 << Status::Opened << 65;
        QTest::newRow("tag cut off") << -1 << -1 << Status::Opened << 65 + 1000;
    }
    void changedFileIsRefused()
    {
        QFETCH(int, at);
        QFETCH(int, size);
        QFETCH(Status, status);
        QFETCH(int, room);
        const SealedFile::Key key = *SealedFile::Key::create(master, cheap);
        QVERIFY(m_file->seal(key, "c"));
        QByteArray bytes = LineFile::readContent(path()).bytes;
        if (at >= 0)
            bytes[at] ^= 2;
        if (size >= 0)
            bytes.truncate(size);
        QVERIFY(size < -1 ? QFile::remove(path()) : LineFile::writeContent(path(), bytes));
        if (size == -3)
            QVERIFY(QDir().mkdir(path()));
        if (room >= 0) {
            const FileSizeLimit limit(room);
            QVERIFY(!m_file->seal(key, QByteArray(1000, 'r')));
        }

        const SealedFile::Opened opened = m_file->open(master);
        QCOMPARE(opened.status, status);
        QCOMPARE(opened.content, status == Status::Opened ? "c" : "");
        QCOMPARE(bool(opened.key), status == Status::Opened);
        if (size >= -1)
            QCOMPARE(LineFile::readContent(path()).bytes, bytes);
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files).size(), size < -1 ? 0 : 1);
    }

private:
    QString path() const { return m_folder->filePath(QStringLiteral("sealed")); }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<DataFolder> m_data;
    std::unique_ptr<SealedFile> m_file;
};

QTEST_GUILESS_MAIN(SealedTest)
#include "tst_sealed.moc"
