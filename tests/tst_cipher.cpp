#include "vault/CipherText.h"
#include "vault/LineEscape.h"
#include "vault/RecordCodec.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

namespace {

QByteArray allBytes()
{
    QByteArray bytes;
    for (int c = 0; c < 256; ++c)
        bytes.append(char(c));
    return bytes;
}

QByteArray randomBytes(QRandomGenerator &random, int minimum, int maximum)
{
    QByteArray bytes(random.bounded(minimum, maximum + 1), Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

const QByteArray alphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ:";

} // namespace

class CipherTest : public QObject
{
    Q_OBJECT

private slots:
    void knownCases_data();
    void knownCases();
    void emptyKeyWithTextFails();
    void roundTripsEveryByteUnderRandomKeys();
    void asciiInGivesHighBytesOut();
    void codecIsAPermutationOfTheAlphabet();
    void codecLeavesOtherBytesAlone();
    void escapeKeepsLinesWhole_data();
    void escapeKeepsLinesWhole();
};

void CipherTest::knownCases_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty text, empty key") << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("empty text") << QByteArray() << QByteArray("key") << QByteArray();
    // One key byte: every text byte uses it.
    QTest::newRow("one-byte key") << QByteArray("\x00\x0f\xff", 3) << QByteArray("\x0f")
                                  << QByteArray("\xf0\xff\x0f", 3);
    // Key positions 1, 2, 3, 1, 2, 3, 1: with a zero text the output is NOT key.
    QTest::newRow("key restarts") << QByteArray(7, '\0') << QByteArray("\x01\x02\x03")
                                  << QByteArray("\xfe\xfd\xfc\xfe\xfd\xfc\xfe");
}

void CipherTest::knownCases()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    const std::optional<QByteArray> out = CipherText(text, key);
    QVERIFY(out.has_value());
    QCOMPARE(*out, expected);
}

void CipherTest::emptyKeyWithTextFails()
{
    QVERIFY(!CipherText("text", QByteArray()).has_value());
}

void CipherTest::roundTripsEveryByteUnderRandomKeys()
{
    QRandomGenerator random(7);
    for (int round = 0; round < 200; ++round) {
        const QByteArray key = randomBytes(random, 1, 40);
        const QByteArray text = allBytes() + randomBytes(random, 0, 300);
        const QByteArray once = *CipherText(text, key);
        QCOMPARE(once.size(), text.size());
        QCOMPARE(*CipherText(once, key), text);
    }
}

void CipherTest::asciiInGivesHighBytesOut()
{
    QRandomGenerator random(11);
    for (int round = 0; round < 100; ++round) {
        QByteArray text = randomBytes(random, 1, 100);
        QByteArray key = randomBytes(random, 1, 20);
        for (char &c : text)
            c &= 0x7f;
        for (char &c : key)
            c &= 0x7f;
        const QByteArray out = *CipherText(text, key);
        for (const char c : out)
            QVERIFY(static_cast<unsigned char>(c) >= 128);
    }
}

void CipherTest::codecIsAPermutationOfTheAlphabet()
{
    const QByteArray coded = EncodeRecord(alphabet);
    QCOMPARE(coded.size(), alphabet.size());
    QCOMPARE(QSet<char>(coded.begin(), coded.end()), QSet<char>(alphabet.begin(), alphabet.end()));
    QVERIFY(coded != alphabet);
    QCOMPARE(DecodeRecord(coded), alphabet);

    QByteArray built;
    for (const char c : alphabet)
        EncodeChar(c, built);
    QCOMPARE(built, coded);
}

void CipherTest::codecLeavesOtherBytesAlone()
{
    QByteArray others;
    for (const char c : allBytes()) {
        if (!alphabet.contains(c))
            others.append(c);
    }
    QCOMPARE(others.size(), 256 - 63);
    QCOMPARE(EncodeRecord(others), others);
    QCOMPARE(DecodeRecord(others), others);
    QCOMPARE(EncodeRecord(":!").at(1), '!');
    QVERIFY(EncodeRecord(":!").at(0) != ':');
    QCOMPARE(EncodeRecord(QByteArray()), QByteArray());
}

void CipherTest::escapeKeepsLinesWhole_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain high bytes") << QByteArray("\xc8\xd5\xfe\x80");
    QTest::newRow("CR LF") << QByteArray("a\r\nb");
    QTest::newRow("lone CR and LF") << QByteArray("\r\x01\n");
    QTest::newRow("escape byte itself") << QByteArray("\x10\x10r");
    QTest::newRow("every byte") << allBytes();
}

void CipherTest::escapeKeepsLinesWhole()
{
    QFETCH(QByteArray, line);
    const QByteArray escaped = escapeLine(line);
    QVERIFY(!escaped.contains('\r'));
    QVERIFY(!escaped.contains('\n'));
    QCOMPARE(unescapeLine(escaped), std::optional<QByteArray>(line));
    bool onlyHigh = std::all_of(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) >= 128; });
    if (onlyHigh)
        QCOMPARE(escaped, line);
}

QTEST_GUILESS_MAIN(CipherTest)
#include "tst_cipher.moc"
