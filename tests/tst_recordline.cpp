#include "vault/RecordBook.h"
#include "vault/RecordLine.h"

#include <QTest>

class RecordLineTest : public QObject
{
    Q_OBJECT

private slots:
    void splitFillsTheFieldsFound_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        const auto row = [](const char *name, const char *line, const QStringList &fields) {
            QTest::newRow(name) << QString::fromLatin1(line) << fields;
        };
        row("whole record", "S:!U:!P:!O:!http://x", {"S", "U", "P", "O", "http://x"});
        row("empty path is not filled", "S:!U:!P:!O:!", {"S", "U", "P", "O"});
        row("two separators", "S:!U:!rest", {"S", "U"});
        row("no separator", "just text", {});
        row("empty line", "", {});
        row("spaces kept", " S :! U :!  :!:!  ", {" S ", " U ", "  ", "", "  "});
        row("separator inside path", "S:!U:!P:!O:!a:!b", {"S", "U", "P", "O", "a:!b"});
    }
    void splitFillsTheFieldsFound()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QCOMPARE(RecordLine::splitFields(line), fields);
        if (fields.size() == RecordLine::fieldCount)
            QCOMPARE(RecordLine::join(fields), line);
    }

    void insertFindsTheSortedPlace()
    {
        RecordBook loaded;
        const QStringList lines = {"delta:!1:!2:!:!", "Charlie:!1:!2:!:!", "bravo:!1:!2:!:!",
            "Alpha:!1:!2:!:!", "charlie:!0:!2:!:!", "Echo:!1:!2:!:!"};
        loaded.load(lines);
        RecordBook inserted;
        for (const QString &line : lines)
            inserted.insert(line);
        QCOMPARE(inserted.records(), loaded.records());
        QCOMPARE(inserted.services(), loaded.services());
        QCOMPARE(loaded.indexOf("Echo:!1:!2:!:!"), 5);
        QCOMPARE(loaded.indexOf("echo:!1:!2:!:!"), -1);
        // A lone surrogate is held as UTF-8 holds it: put where its held text sorts.
        inserted.insert(QString(QChar(0xD800)) + "a:!1:!2:!:!");
        RecordBook again;
        again.loadCoded(inserted.codedContent());
        QCOMPARE(inserted.records(), again.records());
    }

    // What a rewrite notes in the list of removals: lines that left the file and lines that
    // came into it, whatever copies of them stay.
    void differenceIsOfLinesHeld_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        const QString a = "a:!1:!2:!:!", b = "b:!1:!2:!:!", c = "c:!1:!2:!:!";
        QTest::newRow("one removed")
            << QStringList {a, b, c} << QStringList {a, c} << QStringList {b} << QStringList {};
        QTest::newRow("one replaced")
            << QStringList {a, b} << QStringList {c, b} << QStringList {a} << QStringList {c};
        QTest::newRow("one of two copies removed")
            << QStringList {a, a, b} << QStringList {a, b} << QStringList {} << QStringList {};
        QTest::newRow("a copy added")
            << QStringList {a} << QStringList {a, a} << QStringList {} << QStringList {};
        QTest::newRow("both copies removed")
            << QStringList {a, a, b} << QStringList {b} << QStringList {a} << QStringList {};
    }
    void differenceIsOfLinesHeld()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        const RecordBook::Difference difference
            = RecordBook::difference(RecordBook(before), RecordBook(after));
        QTEST(difference.removed, "removed");
        QTEST(difference.added, "added");
    }
};

QTEST_GUILESS_MAIN(RecordLineTest)
#include "tst_recordline.moc"
