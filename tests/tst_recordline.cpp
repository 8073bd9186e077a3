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
    }
};

QTEST_GUILESS_MAIN(RecordLineTest)
#include "tst_recordline.moc"
