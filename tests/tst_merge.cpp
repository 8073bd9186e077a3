#include "vault/RecordMerge.h"
#include "vault/RemovalList.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <set>

namespace {

QStringList sorted(QStringList lines)
{
    lines.sort();
    return lines;
}

} // namespace

class MergeTest : public QObject
{
    Q_OBJECT

private slots:
    // The list as written and read back: steps are "r LINE DAY" removed, "a LINE DAY" added
    // again, "u LINE" a removal undone; the list is written on the day given and read with the
    // secret given (it was made with "pw").
    void removalListKeepsRemovals_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("writtenOn");
        QTest::addColumn<QByteArray>("secret");
        QTest::addColumn<QStringList>("removed");
        const QByteArray pw("pw");
        QTest::newRow("kept") << QStringList {"r a 3", "r b 3"} << 183 << pw
                              << QStringList {"a", "b"};
        QTest::newRow("dropped after 180 days")
            << QStringList {"r a 2", "r b 3"} << 183 << pw << QStringList {"b"};
        QTest::newRow("added again") << QStringList {"r a 0", "a a 1"} << 1 << pw << QStringList {};
        QTest::newRow("removed again")
            << QStringList {"r a 0", "a a 1", "r a 2"} << 2 << pw << QStringList {"a"};
        QTest::newRow("a removal that did not happen")
            << QStringList {"r a 0", "u a"} << 0 << pw << QStringList {};
        QTest::newRow("another secret tests nothing")
            << QStringList {"r a 0"} << 0 << QByteArray("other") << QStringList {};
        QTest::newRow("no secret tests nothing")
            << QStringList {"r a 0"} << 0 << QByteArray() << QStringList {};
    }
    void removalListKeepsRemovals()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, writtenOn);
        QFETCH(QByteArray, secret);
        QFETCH(QStringList, removed);
        RemovalList list("pw");
        for (const QString &step : steps) {
            const QStringList part = step.split(' ');
            const QString line = "secret " + part[1] + ":!u:!p:!:!";
            if (part[0] == "r")
                list.remove(line, part[2].toInt());
            else if (part[0] == "a")
                list.addAgain(line, part[2].toInt());
            else
                list.undo(line);
        }
        const QByteArray content = list.content(writtenOn);
        QVERIFY(!content.contains("secret"));
        const std::optional<RemovalList> read = RemovalList::fromContent(content, secret);
        QVERIFY(read);
        QCOMPARE(read->sameKey(list), secret == "pw");
        QStringList found;
        for (const QString name : {"a", "b"}) {
            if (read->isRemoved("secret " + name + ":!u:!p:!:!"))
                found.append(name);
        }
        QCOMPARE(found, removed);
        QVERIFY(!RemovalList::fromContent(content + "<<<<<<< HEAD\n", "pw"));
    }

    // Random histories of adds, edits, removals and merges on copies of one start, merged at the
    // end in every order: the same records everywhere, every record added and never removed,
    // none removed. Lines are unique, so "added after its last removal" is "never removed".
    void mergesAgree_data()
    {
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("otherKey"); // the second copy at another level
        QTest::newRow("two copies") << 2 << false;
        QTest::newRow("two copies, another level") << 2 << true;
        QTest::newRow("three copies") << 3 << false;
    }
    void mergesAgree()
    {
        QFETCH(int, copies);
        QFETCH(bool, otherKey);
        for (quint32 seed = 1; seed <= 150; ++seed) {
            QRandomGenerator random(seed);
            const RemovalList start("pw");
            QList<RecordMerge::Copy> copy;
            std::set<QString> expected;
            for (int i = 0; i < 4; ++i)
                expected.insert(QString("s%1:!u:!p%1:!:!").arg(i));
            for (int c = 0; c < copies; ++c) {
                copy.append({QStringList(expected.begin(), expected.end()),
                    *RemovalList::fromContent(
                        start.content(0), otherKey && c == 1 ? "another" : "pw")});
            }
            int made = 0;
            for (int step = 0; step < 40; ++step) {
                RecordMerge::Copy &one = copy[random.bounded(copies)];
                const int kind = random.bounded(4);
                if (kind == 3) {
                    const RecordMerge::Copy &other = copy[random.bounded(copies)];
                    const RecordMerge merge(one, other);
                    one = {merge.records(), merge.removals()};
                    continue;
                }
                QStringList after = one.records;
                const qsizetype at = after.isEmpty() ? -1 : random.bounded(int(after.size()));
                // An edit keeps the service and username, so both sides may edit one record.
                const QString service = at < 0 || kind == 0 ? QString("s%1").arg(random.bounded(6))
                                                            : after[at].section(":!", 0, 0);
                if (kind != 0 && at >= 0)
                    expected.erase(after.takeAt(at));
                if (kind != 2) {
                    after.append(QString("%1:!u:!n%2:!:!").arg(service).arg(++made));
                    expected.insert(after.last());
                }
                one.removals.rewrite(one.records, after, step / 10);
                one.records = after;
            }
            const QStringList wanted(expected.begin(), expected.end());
            QList<int> order(copies);
            std::iota(order.begin(), order.end(), 0);
            do {
                RecordMerge::Copy all = copy[order[0]];
                for (int c = 1; c < copies; ++c) {
                    const RecordMerge merge(all, copy[order[c]]);
                    all = {merge.records(), merge.removals()};
                }
                QVERIFY2(sorted(all.records) == wanted, qPrintable(QString::number(seed)));
                const RecordMerge again(all, copy[order[1]]);
                QCOMPARE(sorted(again.records()), wanted);
                QVERIFY(again.added().isEmpty() && again.removed().isEmpty());
            } while (std::next_permutation(order.begin(), order.end()));
        }
    }
};

QTEST_GUILESS_MAIN(MergeTest)
#include "tst_merge.moc"
