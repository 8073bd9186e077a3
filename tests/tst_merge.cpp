#include "vault/RecordBook.h"
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
    // again, "u LINE" a removal undone; the list is made with "pw", written on the day given
    // (also under the secret added, a change of password under way) and read with the secret
    // given. A list read with another secret is passed on whole: written again, it still opens
    // with "pw".
    void removalListKeepsRemovals_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("writtenOn");
        QTest::addColumn<QByteArray>("added");
        QTest::addColumn<QByteArray>("secret");
        QTest::addColumn<QStringList>("removed");
        const QByteArray pw("pw"), none;
        QTest::newRow("kept") << QStringList {"r a 3", "r b 3"} << 183 << none << pw
                              << QStringList {"a", "b"};
        QTest::newRow("dropped after 180 days")
            << QStringList {"r a 2", "r b 3"} << 183 << none << pw << QStringList {"b"};
        QTest::newRow("added again")
            << QStringList {"r a 0", "a a 1"} << 1 << none << pw << QStringList {};
        QTest::newRow("removed again")
            << QStringList {"r a 0", "a a 1", "r a 2"} << 2 << none << pw << QStringList {"a"};
        QTest::newRow("a removal that did not happen")
            << QStringList {"r a 0", "u a"} << 0 << none << pw << QStringList {};
        QTest::newRow("another secret tests nothing")
            << QStringList {"r a 0"} << 0 << none << QByteArray("other") << QStringList {};
        QTest::newRow("no secret tests nothing")
            << QStringList {"r a 0"} << 0 << none << none << QStringList {};
        QTest::newRow("a change under way, the old secret")
            << QStringList {"r a 0"} << 0 << QByteArray("new") << pw << QStringList {"a"};
        QTest::newRow("a change under way, the new secret")
            << QStringList {"r a 0"} << 0 << QByteArray("new") << QByteArray("new")
            << QStringList {"a"};
    }
    void removalListKeepsRemovals()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, writtenOn);
        QFETCH(QByteArray, added);
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
        if (!added.isNull())
            list.addSecret(added);
        const QByteArray content = list.content(writtenOn);
        QVERIFY(!content.contains("secret"));
        const std::optional<RemovalList> read = RemovalList::fromContent(content, secret);
        QVERIFY(read);
        QStringList found;
        for (const QString name : {"a", "b"}) {
            if (read->isRemoved("secret " + name + ":!u:!p:!:!"))
                found.append(name);
        }
        QCOMPARE(found, removed);
        const QString a = "secret a:!u:!p:!:!";
        const std::optional<RemovalList> passedOn
            = RemovalList::fromContent(read->content(writtenOn), found.isEmpty() ? "pw" : secret);
        QCOMPARE(passedOn->isRemoved(a), RemovalList::fromContent(content, "pw")->isRemoved(a));
        QVERIFY(!RemovalList::fromContent(content + "<<<<<<< HEAD\n", "pw"));
    }
    // A list of the first version, under its salt.
    void firstListIsRead()
    {
        const QByteArray first = "Vaultine removals 1 000102030405060708090a0b0c0d0e0f "
                                 "a356775231be9e22\n7613120c80c7411c654fb12f6571c8e8 1 0\n";
        QVERIFY(RemovalList::fromContent(first, "pw")->isRemoved("secret a:!u:!p:!:!"));
        QVERIFY(RemovalList::fromContent(first, "other")->isEmpty());
        // Added again at the highest generation, it stays a list that reads.
        std::optional<RemovalList> highest = RemovalList::fromContent(
            QByteArray(first).replace(" 1 0\n", " 2147483647 0\n"), "pw");
        highest->addAgain("secret a:!u:!p:!:!", 0);
        QVERIFY(RemovalList::fromContent(highest->content(0), "pw"));
    }
    // After a change of secret new entries go under a key that the old secret does not unwrap,
    // so that no earlier copy of the list tests them.
    void renewedKeyIsNotUnderTheOldSecret()
    {
        const QString a = "secret a:!u:!p:!:!", b = "secret b:!u:!p:!:!";
        RemovalList list {QByteArray()};
        list.remove(a, 0);
        list.addSecret("new");
        list.renewKey();
        list.remove(b, 0);
        const QByteArray content = list.content(0);
        const std::optional<RemovalList> old = RemovalList::fromContent(content, {});
        QVERIFY(old->isRemoved(a) && !old->isRemoved(b));
        const std::optional<RemovalList> renewed = RemovalList::fromContent(content, "new");
        QVERIFY(renewed->isRemoved(a) && renewed->isRemoved(b));
    }

    // Three-way merges: the records of one service that both sides changed are named.
    void changesOnBothSidesNamed_data()
    {
        QTest::addColumn<QStringList>("ours");
        QTest::addColumn<QStringList>("theirs");
        QTest::addColumn<int>("named");
        QTest::newRow("password on both") << QStringList {"s:!u:!p1:!:!", "t:!v:!q:!:!"}
                                          << QStringList {"s:!u:!p2:!:!", "t:!v:!q:!:!"} << 2;
        QTest::newRow("username here, password there")
            << QStringList {"s:!w:!p:!:!", "t:!v:!q:!:!"}
            << QStringList {"s:!u:!p2:!:!", "t:!v:!q:!:!"} << 2;
        QTest::newRow("other records") << QStringList {"s:!u:!p1:!:!", "t:!v:!q:!:!"}
                                       << QStringList {"s:!u:!p:!:!", "t:!v:!q2:!:!"} << 0;
        QTest::newRow("removed there")
            << QStringList {"s:!u:!p1:!:!", "t:!v:!q:!:!"} << QStringList {"t:!v:!q:!:!"} << 0;
    }
    void changesOnBothSidesNamed()
    {
        QFETCH(QStringList, ours);
        QFETCH(QStringList, theirs);
        QFETCH(int, named);
        const RecordMerge merge
            = RecordMerge::fromBase({"s:!u:!p:!:!", "t:!v:!q:!:!"}, ours, theirs);
        const QList<QStringList> both = merge.changedOnBothSides();
        QCOMPARE(both.isEmpty() ? 0 : both.first().size(), named);
    }

    // Random histories of adds, edits, removals and merges on copies of one start, each copy's
    // list begun on its own (the copies were made before any removal), merged at the end in
    // every order: the same records everywhere, every record added and never removed, none
    // removed. Lines are unique, so "added after its last removal" is "never removed".
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
            QList<RecordMerge::Copy> copy;
            std::set<QString> expected;
            for (int i = 0; i < 4; ++i)
                expected.insert(QString("s%1:!u:!p%1:!:!").arg(i));
            for (int c = 0; c < copies; ++c) {
                copy.append({QStringList(expected.begin(), expected.end()),
                    RemovalList(otherKey && c == 1 ? "another" : "pw")});
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
                const auto [removed, added]
                    = RecordBook::difference(RecordBook(one.records), RecordBook(after));
                one.removals.rewrite(removed, added, step / 10);
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
