#include "vault/CipherText.h"
#include "vault/EncipheredLines.h"
#include "vault/LineEscape.h"
#include "vault/LineFile.h"
#include "vault/RecordCodec.h"

#include <QSet>
#include <QTest>

namespace {

// Every byte once, from 0 up (or from 255 down).
QByteArray allBytes(bool down = false)
{
    QByteArray bytes;
    for (int c = 0; c < 256; ++c)
        bytes.append(char(down ? 255 - c : c));
    return bytes;
}

const QByteArray alphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ:";

} // namespace

class CipherTest : public QObject
{
    Q_OBJECT

private slots:
    void knownCases_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<std::optional<QByteArray>>("expected");
        const auto row = [](const char *name, const QByteArray &text, const QByteArray &key,
                             std::optional<QByteArray> expected) {
            QTest::newRow(name) << text << key << expected;
        };
        row("empty key with text fails", "text", {}, std::nullopt);
        // One key byte: every text byte uses it.
        row("one-byte key", QByteArray("\x00\x0f\xff", 3), "\x0f", QByteArray("\xf0\xff\x0f", 3));
        // Key positions 1, 2, 3, 1, 2, 3, 1: with a zero text the output is NOT key.
        row("key restarts", QByteArray(7, '\0'), "\x01\x02\x03", "\xfe\xfd\xfc\xfe\xfd\xfc\xfe");
        // Under 0 every byte, line ends and high bytes too, is its complement.
        row("every byte", allBytes(), QByteArray(1, '\0'), allBytes(true));
    }
    void knownCases()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, key);
        QFETCH(std::optional<QByteArray>, expected);
        QCOMPARE(CipherText(text, key), expected);
        if (expected) // and back
            QCOMPARE(CipherText(*expected, key), std::optional<QByteArray>(text));
    }

    void codecPermutesTheAlphabetOnly()
    {
        const QByteArray coded = EncodeRecord(alphabet);
        QCOMPARE(
            QSet<char>(coded.begin(), coded.end()), QSet<char>(alphabet.begin(), alphabet.end()));
        QCOMPARE(coded.size(), alphabet.size());

        QByteArray others;
        for (const char c : allBytes()) {
            if (!alphabet.contains(c))
                others.append(c);
        }
        QCOMPARE(EncodeRecord(others), others);
        QCOMPARE(DecodeRecord(coded + others), alphabet + others); // and back
        QVERIFY(EncodeRecord(":!").at(0) != ':'); // the alphabet is not left as it is
    }

    void escapeKeepsLinesWhole_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain high bytes") << QByteArray("\xc8\xd5\xfe\x80");
        QTest::newRow("CR LF") << QByteArray("a\r\nb");
        QTest::newRow("lone CR and LF") << QByteArray("\r\x01\n");
        QTest::newRow("escape byte itself") << QByteArray("\x10\x10r");
        QTest::newRow("every byte") << allBytes();
    }
    void escapeKeepsLinesWhole()
    {
        QFETCH(QByteArray, line);
        const QByteArray escaped = escapeLine(line);
        QVERIFY(!escaped.contains('\r') && !escaped.contains('\n'));
        QCOMPARE(unescapeLine(escaped), std::optional<QByteArray>(line));
        if (std::all_of(line.begin(), line.end(), [](char c) { return uchar(c) >= 128; }))
            QCOMPARE(escaped, line);
    }

    // The enciphered file's lines deciphered with a key given: another key is told by the
    // records it gives, and nothing is given then.
    void anotherKeyIsRefused_data()
    {
        QTest::addColumn<QByteArrayList>("records");
        QTest::addColumn<QByteArray>("key"); // the file's
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<qsizetype>("refusedLine"); // 0: read
        const QByteArrayList records {"bank:!jo:!x\"y:!:!", "Caf\xc3\xa9:!zo:!p:!:!"};
        const QByteArray key("Key-99"), longKey("Key-longer-than-any-line-here");
        QTest::newRow("the file's key") << records << key << key << qsizetype(0);
        QTest::newRow("another key") << records << key << QByteArray("Wrong") << qsizetype(1);
        QTest::newRow("one bit off") << records << key << QByteArray("Key-98") << qsizetype(1);
        // Off in the first byte alone: the fields stay, "\xc3" turns into "\xe3".
        QTest::newRow("off where the text is not ASCII")
            << QByteArrayList {"bank:!jo:!p:!:!", "\xc3\xa9:!u:!p:!:!"} << longKey
            << "k" + longKey.mid(1) << qsizetype(2);
        QTest::newRow("no key") << records << key << QByteArray() << qsizetype(1);
    }
    void anotherKeyIsRefused()
    {
        QFETCH(QByteArrayList, records);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, given);
        QFETCH(qsizetype, refusedLine);
        QByteArrayList coded;
        for (const QByteArray &record : records)
            coded.append(EncodeRecord(record));
        const std::optional<QByteArray> content = EncipheredLines::fileContent(coded, key);
        QVERIFY(content && EncipheredLines::isEnciphered(*content));
        QVERIFY(!EncipheredLines::isEnciphered(LineFile::joined(coded)));
        const EncipheredLines::Records read = EncipheredLines::decipherRecords(*content, given);
        QCOMPARE(read.refusedLine, refusedLine);
        QCOMPARE(read.coded, refusedLine == 0 ? coded : QByteArrayList());
    }
};

QTEST_GUILESS_MAIN(CipherTest)
#include "tst_cipher.moc"
