#include "app/Startup.h"
#include "fakes/FakePlatform.h"
#include "records/Coffrel.h"
#include "vault/Database.h"
#include "vault/VaultAccess.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString alpha = QStringLiteral("Alpha:!al:!pa1:!note:!http://a");
const QString bank = QStringLiteral("Bank:!bu:!bp:!:!");
const QString carrot = QStringLiteral("Carrot:!cu:!cp:!c info:!http://c");
const QStringList threeRecords {alpha, bank, carrot};

QStringList splitRecord(const QString &line)
{
    return line.split(QStringLiteral(":!"));
}

VaultAccess accessAt(const QString &reach)
{
    VaultAccess access;
    access.reach = reach;
    access.databaseKey = QStringLiteral("key");
    return access;
}

// One start of the program on a program folder, with its own fakes.
struct Session
{
    Session(const QString &folder, const QString &reach)
        : fake(folder + QStringLiteral("/tmp"))
        , startup(folder, fake.platform)
    {
        if (reach != QLatin1String("0"))
            startup.setSecuritySettingsLoader([=, this] { startup.access() = accessAt(reach); });
        window = &startup.loadMainWindow();
    }
    FakePlatform fake;
    Startup startup;
    Coffrel *window = nullptr;
};

// A program folder holding the given records, and the program started on it.
struct Vault
{
    explicit Vault(const QStringList &lines = {}, const QString &reach = QStringLiteral("0"))
        : reach(reach)
    {
        QDir(dir.path()).mkdir(QStringLiteral("tmp"));
        if (!lines.isEmpty())
            withDatabase([&](Database &database) { database.RewriteDatabase(lines); });
        session = std::make_unique<Session>(dir.path(), reach);
    }

    template <typename Use> void withDatabase(Use use) const
    {
        VaultAccess access = accessAt(reach);
        FakeTemporaryFolder temp(dir.path() + QStringLiteral("/tmp"));
        Database database(dir.path(), temp, access);
        database.EnsureDataFolder();
        use(database);
        database.deleteWorkingCopy();
    }
    // The records as a fresh start reads them from the file.
    QStringList stored() const
    {
        QStringList lines {QStringLiteral("<unreadable>")};
        withDatabase([&](Database &database) {
            if (reach == QLatin1String("0") || database.DecipherDatabase())
                lines = database.LoadRecords().lines;
        });
        return lines;
    }
    QByteArray fileBytes() const
    {
        QFile file(filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QString filePath() const
    {
        return dir.path() + (reach == QLatin1String("1") ? "/Data/CF2DB.edb" : "/Data/CF2DB.pdb");
    }
    // Every write fails until restoreData(): the Data folder becomes a plain file.
    void breakData() const
    {
        QDir(dir.path()).rename(QStringLiteral("Data"), QStringLiteral("Data.kept"));
        QFile(dir.path() + QStringLiteral("/Data")).open(QIODevice::WriteOnly);
    }
    void restoreData() const
    {
        QFile::remove(dir.path() + QStringLiteral("/Data"));
        QDir(dir.path()).rename(QStringLiteral("Data.kept"), QStringLiteral("Data"));
    }
    Coffrel &w() { return *session->window; }
    FakePlatform &fake() { return session->fake; }

    QTemporaryDir dir;
    QString reach;
    std::unique_ptr<Session> session;
};

QLineEdit *field(Coffrel &w, int index)
{
    return w.findChild<QLineEdit *>(QStringLiteral("Text1(%1)").arg(index));
}

QListView *list(Coffrel &w)
{
    return w.findChild<QListView *>(QStringLiteral("List2"));
}

QStringList fieldTexts(Coffrel &w)
{
    QStringList texts;
    for (int i = 0; i < 5; ++i)
        texts.append(field(w, i)->text());
    return texts;
}

void setFields(Coffrel &w, const QStringList &texts)
{
    for (int i = 0; i < 5; ++i)
        field(w, i)->setText(texts.value(i));
}

QStringList services(Coffrel &w)
{
    QStringList names;
    for (int row = 0; row < list(w)->model()->rowCount(); ++row)
        names.append(list(w)->model()->index(row, 0).data().toString());
    return names;
}

void clickRow(Coffrel &w, int row, Qt::MouseButton button = Qt::LeftButton)
{
    QListView *view = list(w);
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), button, {}, at);
}

// Performs one step of a "verb|argument|text" script; "fill" takes the five field texts.
void perform(Coffrel &w, const QString &step)
{
    const QStringList parts = step.split(u'|');
    const QString verb = parts[0];
    const int index = parts.value(1).toInt();
    static const QHash<QString, Qt::MouseButton> buttons {
        {"left", Qt::LeftButton}, {"middle", Qt::MiddleButton}, {"right", Qt::RightButton}};
    if (verb == QLatin1String("type")) {
        field(w, index)->clear();
        QTest::keyClicks(field(w, index), parts.value(2));
    } else if (verb == QLatin1String("fill")) {
        setFields(w, parts.mid(1));
    } else if (buttons.contains(verb)) {
        clickRow(w, index, buttons[verb]);
    } else if (verb == QLatin1String("down")) {
        QTest::keyClick(list(w), Qt::Key_Down);
    } else if (verb == QLatin1String("enter")) {
        QTest::keyClick(field(w, index), Qt::Key_Return);
    } else if (verb == QLatin1String("release")) {
        QTest::keyRelease(field(w, index), Qt::Key_Return);
    } else {
        QAction *item = w.menuItem(QStringLiteral("mnu") + verb.left(1).toUpper() + verb.mid(1));
        QVERIFY2(item, qPrintable(step));
        item->trigger();
    }
}

QString described(const ShownMessage &message)
{
    const char *icons[] = {"none", "information", "stop"};
    return message.title + " / " + message.text + " / " + icons[int(message.icon)];
}

} // namespace

class CoffrelTest : public QObject
{
    Q_OBJECT

private slots:
    void commandStates_data();
    void commandStates();
    void sortsServices_data();
    void sortsServices();
    void addAppendsOneLine_data();
    void addAppendsOneLine();
    void rewritesInListOrderAndRestarts();
    void refusedCommandChangesNothing_data();
    void refusedCommandChangesNothing();
    void lineBreaksBecomeSpaces_data();
    void lineBreaksBecomeSpaces();
    void labelsCopyOpenAndHide();
    void toolbarRaisesOneButton();
    void endsProgram_data();
    void endsProgram();
    void focusKeys();
};

void CoffrelTest::commandStates_data()
{
    QTest::addColumn<QString>("steps"); // separated by ';'
    QTest::addColumn<QString>("enabled"); // Add, Replace, Remove, Reset: 1 enabled, 0 not
    QTest::addColumn<QString>("fields"); // separated by '|'
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("count");

    const auto row = [](const char *name, const QString &steps, const char *enabled,
                         const char *fields, int selected, int count) {
        QTest::newRow(name) << steps << QString::fromLatin1(enabled) << QString::fromLatin1(fields)
                            << selected << count;
    };
    const QString typeAll = QStringLiteral("type|0|New;type|1|nu;type|2|np");
    row("window opens", "", "0001", "||||", -1, 3);
    row("three fields typed", typeAll, "1101", "New|nu|np||", -1, 3);
    row("password missing", "type|0|S;type|1|U;type|3|O;type|4|P", "0001", "S|U||O|P", -1, 3);
    row("spaces count", "type|0| ;type|1| ;type|2|  ", "1101", " | |  ||", -1, 3);
    row("username emptied", typeAll + ";type|1|", "0001", "New||np||", -1, 3);
    row("left release", "left|1", "1111", "Bank|bu|bp||", 1, 3);
    row("middle release", "middle|0", "1111", "Alpha|al|pa1|note|http://a", 0, 3);
    row("keyboard selection", "left|0;" + typeAll + ";down", "0011", "||||", 1, 3);
    row("right release after left", "left|1;right|1", "1101", "Bank|bu|bp||", -1, 3);
    row("right release at open", "right|1", "0001", "||||", -1, 3);
    row("right release keeps typed", typeAll + ";right|0", "1101", "New|nu|np||", -1, 3);
    row("add done", typeAll + ";add", "0001", "||||", -1, 4);
    row("add after selecting", "left|0;type|4|http://z;add", "0011", "||||", -1, 4);
    row("Enter in Other Info adds", typeAll + ";enter|3", "0001", "||||", -1, 4);
    // The Return that closed a message box is released in the field afterwards.
    row("Return released only does not add", typeAll + ";release|3", "1101", "New|nu|np||", -1, 3);
    row("Enter in other fields does not add", typeAll + ";enter|0;enter|1;enter|2;enter|4", "1101",
        "New|nu|np||", -1, 3);
    row("Enter without password does nothing", "type|0|S;type|1|U;enter|3", "0001", "S|U|||", -1,
        3);
    row("replace done", "left|0;type|3|changed;replace", "1111", "Alpha|al|pa1|changed|http://a",
        -1, 3);
    row("replace done, moved", "left|0;type|0|Zed;replace", "1111", "Zed|al|pa1|note|http://a", -1,
        3);
    row("remove done", "left|1;remove", "0001", "||||", -1, 2);
    // The selection does not change, so the fields are not emptied, and an empty Path
    // leaves the field as it was.
    row("edited record clicked again", "left|1;type|4|typed;left|1", "1111", "Bank|bu|bp||typed", 1,
        3);
}

void CoffrelTest::commandStates()
{
    QFETCH(QString, steps);
    QFETCH(QString, enabled);
    QFETCH(QString, fields);
    QFETCH(int, selected);
    QFETCH(int, count);

    Vault vault(threeRecords);
    Coffrel &w = vault.w();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const QString &step : steps.split(u';', Qt::SkipEmptyParts))
        perform(w, step);

    const char *items[] = {"mnuAdd", "mnuReplace", "mnuRemove", "mnuReset"};
    for (int i = 0; i < 4; ++i) {
        const bool expected = enabled[i] == u'1';
        const auto *icon = w.findChild<QLabel *>(QStringLiteral("Image1(%1)").arg(i));
        QVERIFY2(w.menuItem(QLatin1String(items[i]))->isEnabled() == expected, items[i]);
        QVERIFY2(icon->isEnabled() == expected, items[i]);
    }
    QCOMPARE(fieldTexts(w), fields.split(u'|'));
    QCOMPARE(w.selectedIndex(), selected);
    QCOMPARE(list(w)->selectionModel()->selectedRows().size(), selected < 0 ? 0 : 1);
    QCOMPARE(w.records().count(), count);
    QCOMPARE(vault.stored().size(), count);
    QVERIFY(vault.fake().messages.shown.isEmpty());
}

void CoffrelTest::sortsServices_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("added");
    QTest::addColumn<QStringList>("expected");

    const QStringList prefix {"Bank of X:!u:!p:!:!", "Bank:!u:!p:!:!", "Bank of:!u:!p:!:!"};
    const QStringList cases {"Banana:!u:!p:!:!", "apple:!u:!p:!:!", "Alpha:!u:!p:!:!"};
    const QStringList twice {"Mail:!two:!p2:!:!", "Mail:!one:!p1:!:!", "Abc:!u:!p:!:!"};
    for (const bool added : {false, true}) {
        const char *how = added ? "added" : "loaded";
        QTest::addRow("shorter name first, %s", how)
            << prefix << added << QStringList {"Bank", "Bank of", "Bank of X"};
        QTest::addRow("letter case ignored, %s", how)
            << cases << added << QStringList {"Alpha", "apple", "Banana"};
        QTest::addRow("one service twice, %s", how)
            << twice << added << QStringList {"Abc", "Mail", "Mail"};
    }
}

void CoffrelTest::sortsServices()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, added);
    QFETCH(QStringList, expected);

    Vault vault(added ? QStringList() : lines);
    Coffrel &w = vault.w();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const QString &line : added ? lines : QStringList()) {
        setFields(w, splitRecord(line));
        perform(w, "add");
    }
    QCOMPARE(services(w), expected);
    QCOMPARE(w.records().services(), expected);
    QStringList shown;
    for (int row = 0; row < expected.size(); ++row) {
        clickRow(w, row);
        shown.append(fieldTexts(w).join(QStringLiteral(":!")));
    }
    QCOMPARE(shown, w.records().records());
}

void CoffrelTest::addAppendsOneLine_data()
{
    QTest::addColumn<QString>("reach");
    QTest::newRow("reach 0") << "0";
    QTest::newRow("reach 1") << "1";
}

void CoffrelTest::addAppendsOneLine()
{
    QFETCH(QString, reach);

    Vault vault({carrot, alpha}, reach);
    Coffrel &w = vault.w();
    QCOMPARE(w.records().records(), QStringList({alpha, carrot}));
    // Records that differ from a stored one only in letter case or only in Path are new.
    const QStringList added {
        "Alpha:!AL:!pa1:!note:!http://a", "Alpha:!al:!pa1:!note:!http://b", "Bank:!u:!p:!o:!x"};
    for (const QString &line : added) {
        const QByteArray before = vault.fileBytes();
        setFields(w, splitRecord(line));
        perform(w, "add");
        const QByteArray after = vault.fileBytes();
        QVERIFY(after.startsWith(before));
        QCOMPARE(after.mid(before.size()).count("\r\n"), 1);
        QVERIFY(after.endsWith("\r\n"));
    }
    QCOMPARE(vault.stored(), QStringList({carrot, alpha}) + added);
    QVERIFY(vault.fake().messages.shown.isEmpty());
    if (reach == QLatin1String("1"))
        QVERIFY(!QFile::exists(vault.dir.path() + QStringLiteral("/Data/CF2DB.pdb")));
}

void CoffrelTest::rewritesInListOrderAndRestarts()
{
    Vault vault({carrot, bank, alpha});
    Coffrel &w = vault.w();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(vault.stored(), QStringList({carrot, bank, alpha}));
    clickRow(w, 1);
    perform(w, "remove");
    QCOMPARE(vault.stored(), QStringList({alpha, carrot}));

    setFields(w, {"Bee", "bu", "bp"});
    perform(w, "add");
    clickRow(w, 0);
    perform(w, "type|0|Zebra"); // the record moves to the end
    perform(w, "replace");
    const QStringList expected {"Bee:!bu:!bp:!:!", carrot, "Zebra:!al:!pa1:!note:!http://a"};
    QCOMPARE(w.records().records(), expected);
    QCOMPARE(services(w), QStringList({"Bee", "Carrot", "Zebra"}));
    QCOMPARE(vault.stored(), expected);
    QCOMPARE(Session(vault.dir.path(), "0").window->records().records(), expected);

    for (int left = 3; left > 0; --left) {
        clickRow(w, 0);
        perform(w, "remove");
    }
    QCOMPARE(w.records().count(), 0);
    QVERIFY(QFile::exists(vault.filePath()));
    QCOMPARE(vault.fileBytes(), QByteArray());
    Session restarted(vault.dir.path(), QStringLiteral("0"));
    QCOMPARE(restarted.window->records().count(), 0);
    QVERIFY(restarted.fake.messages.shown.isEmpty());
}

void CoffrelTest::refusedCommandChangesNothing_data()
{
    QTest::addColumn<QString>("steps"); // separated by ';', the last is the refused command
    QTest::addColumn<bool>("writesFail");
    QTest::addColumn<QString>("message"); // title / text / icon; "*" stands for any text

    const auto row = [](const QByteArray &name, const QString &steps, const char *message,
                         bool writesFail = false) {
        QTest::newRow(name.constData()) << steps << writesFail << QString::fromLatin1(message);
    };
    const char *noChange = "Vaultine / There were no changes / information";
    row("add, duplicate", "left|0;add",
        "Vaultine / There is an identical record already filed / information");
    row("replace, nothing edited", "left|1;replace", noChange);
    row("replace, equal to another record", "left|1;fill|Carrot|cu|cp|c info|http://c;replace",
        noChange);
    for (const char *command : {"add", "replace"}) {
        for (int index = 0; index < 5; ++index) {
            row(QByteArray(command) + ", \":!\" in field " + QByteArray::number(index),
                QStringLiteral("left|1;fill|Dove|du|dp|di|dx;type|%1|x:!y;").arg(index) + command,
                "Vaultine / * / information");
        }
    }
    for (const char *command : {"add", "replace", "remove"}) {
        row(QByteArray(command) + ", write fails",
            QStringLiteral("left|1;type|3|edited;") + command,
            "Disk Error - i66 / Can not access the DataBase. / stop", true);
    }
    row("replace, nothing selected", "type|0|New;type|1|nu;type|2|np;replace", "");
    // The fields still equal a stored record: that is found before the missing selection.
    row("replace after deselecting", "left|1;right|1;replace", noChange);
    row("remove after deselecting", "left|1;right|1;remove", "");
    row("remove after add", "left|1;type|4|x;add;remove", "");
}

void CoffrelTest::refusedCommandChangesNothing()
{
    QFETCH(QString, steps);
    QFETCH(bool, writesFail);
    QFETCH(QString, message);

    Vault vault(threeRecords);
    Coffrel &w = vault.w();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QStringList script = steps.split(u';');
    for (const QString &step : script.mid(0, script.size() - 1))
        perform(w, step);
    const QStringList records = w.records().records();
    const QStringList fields = fieldTexts(w);
    const QByteArray before = vault.fileBytes();
    if (writesFail)
        vault.breakData();
    perform(w, script.last());
    if (writesFail)
        vault.restoreData();

    const QList<ShownMessage> &shown = vault.fake().messages.shown;
    QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
    if (!shown.isEmpty() && message.contains(QLatin1String(" / * / ")))
        message.replace(QStringLiteral(" * "), QLatin1Char(' ') + shown[0].text + QLatin1Char(' '));
    if (!shown.isEmpty())
        QCOMPARE(described(shown[0]), message);
    QCOMPARE(w.records().records(), records);
    QCOMPARE(services(w), w.records().services());
    QCOMPARE(fieldTexts(w), fields);
    QCOMPARE(vault.fileBytes(), before);
}

void CoffrelTest::lineBreaksBecomeSpaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("pasted"); // inserted at the cursor rather than set
    QTest::addColumn<QString>("expected");

    const char *cases[][3] = {{"LF", "a\nb", "a b"}, {"CR LF", "a\r\nb", "a b"},
        {"CR", "a\rb", "a b"}, {"two LF", "a\n\nb\n", "a  b "}};
    for (const bool pasted : {false, true}) {
        for (const auto &[name, text, expected] : cases)
            QTest::addRow("%s, %s", name, pasted ? "pasted" : "set") << text << pasted << expected;
    }
}

void CoffrelTest::lineBreaksBecomeSpaces()
{
    QFETCH(QString, text);
    QFETCH(bool, pasted);
    QFETCH(QString, expected);

    Vault vault;
    Coffrel &w = vault.w();
    setFields(w, {"S", "U", "P"});
    for (const int index : {0, 3}) {
        if (pasted)
            field(w, index)->insert(text);
        else
            field(w, index)->setText(text);
    }
    QCOMPARE(field(w, 0)->text(), pasted ? QStringLiteral("S") + expected : expected);
    QCOMPARE(field(w, 3)->text(), expected);
    const QString line = fieldTexts(w).join(QStringLiteral(":!"));
    perform(w, "add");
    QCOMPARE(vault.stored(), QStringList({line}));
}

void CoffrelTest::labelsCopyOpenAndHide()
{
    Vault vault(threeRecords);
    Coffrel &w = vault.w();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    FakeClipboard &clipboard = vault.fake().clipboard;
    QLabel *labels[3];
    for (const int i : {0, 1, 2})
        labels[i] = w.findChild<QLabel *>(QStringLiteral("Label%1").arg(QLatin1Char("125"[i])));
    const auto colours = [&labels] {
        QString text; // one letter per label (Username, Password, Path): r red, b black
        for (QLabel *label : labels) {
            const QColor colour = label->palette().color(QPalette::WindowText);
            text += colour == QColor(255, 0, 0) ? 'r' : colour == QColor(0, 0, 0) ? 'b' : '?';
        }
        return text;
    };

    clickRow(w, 0);
    QCOMPARE(field(w, 2)->displayText(), QStringLiteral("***"));
    QTest::mouseClick(labels[1], Qt::LeftButton);
    QCOMPARE(clipboard.content, QStringLiteral("pa1"));
    QVERIFY(clipboard.secret);
    QCOMPARE(colours(), QStringLiteral("brb"));

    QTest::mouseClick(labels[0], Qt::LeftButton);
    QCOMPARE(clipboard.content, QStringLiteral("al"));
    QVERIFY(!clipboard.secret);
    QCOMPARE(colours(), QStringLiteral("rbb"));

    QWidget *client = w.findChild<QWidget *>(QStringLiteral("client"));
    const QPoint background(40, 20); // between the first two toolbar icons
    QCOMPARE(client->childAt(background), nullptr);
    QTest::mouseClick(client, Qt::LeftButton, {}, background);
    QCOMPARE(clipboard.content, QString());
    QCOMPARE(colours(), QStringLiteral("bbb"));

    QTest::mouseDClick(labels[2], Qt::LeftButton);
    QCOMPARE(vault.fake().shell.opened, QStringList({"http://a"}));

    auto *hide = w.findChild<QCheckBox *>(QStringLiteral("Check1"));
    QVERIFY(hide->isChecked());
    QTest::mouseClick(hide, Qt::LeftButton);
    QCOMPARE(field(w, 2)->displayText(), QStringLiteral("pa1"));
    QTest::mouseClick(hide, Qt::LeftButton);
    QCOMPARE(field(w, 2)->displayText(), QStringLiteral("***"));
}

void CoffrelTest::toolbarRaisesOneButton()
{
    Vault vault;
    Coffrel &w = vault.w();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto icon
        = [&w](int i) { return w.findChild<QLabel *>(QStringLiteral("Image1(%1)").arg(i)); };
    const auto button
        = [&w](int i) { return w.findChild<QToolButton *>(QStringLiteral("Command1(%1)").arg(i)); };

    QTest::mouseMove(icon(3));
    QVERIFY(button(3)->isVisible());
    QTest::mouseMove(icon(4));
    QVERIFY(button(4)->isVisible());
    QTRY_VERIFY(!button(3)->isVisible());

    // Add is disabled while the fields are empty, and its icon raises nothing.
    QVERIFY(!icon(0)->isEnabled());
    QTest::mouseMove(icon(0));
    QVERIFY(!button(0)->isVisible());
    setFields(w, {"S", "U", "P"});
    QTest::mouseMove(icon(0), icon(0)->rect().center() + QPoint(1, 1));
    QVERIFY(button(0)->isVisible());

    QTest::mouseMove(icon(7));
    QVERIFY(button(7)->isVisible());
    QTRY_VERIFY(!button(0)->isVisible());
    QVERIFY(!button(4)->isVisible());
    QCOMPARE(vault.fake().programEnd.calls, 0);
    QTest::mouseClick(button(7), Qt::LeftButton);
    QCOMPARE(vault.fake().programEnd.calls, 1);
}

void CoffrelTest::endsProgram_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("pressedHere");
    QTest::addColumn<int>("ends");
    for (int i = 0; i < 5; ++i) {
        QTest::addRow("Escape in field %d", i) << QStringLiteral("Text1(%1)").arg(i) << true << 1;
        // The Escape that closed a message box is released in the field afterwards.
        QTest::addRow("Escape released only, field %d", i)
            << QStringLiteral("Text1(%1)").arg(i) << false << 0;
    }
    QTest::newRow("Escape in the list") << "List2" << true << 1;
    QTest::newRow("Escape released only, list") << "List2" << false << 0;
    QTest::newRow("Exit menu item") << "mnuExit" << true << 1;
}

void CoffrelTest::endsProgram()
{
    QFETCH(QString, how);
    QFETCH(bool, pressedHere);
    QFETCH(int, ends);

    Vault vault(threeRecords);
    Coffrel &w = vault.w();
    if (how == QLatin1String("mnuExit"))
        w.menuItem(how)->trigger();
    else if (pressedHere)
        QTest::keyClick(w.findChild<QWidget *>(how), Qt::Key_Escape);
    else
        QTest::keyRelease(w.findChild<QWidget *>(how), Qt::Key_Escape);
    QCOMPARE(vault.fake().programEnd.calls, ends);
}

void CoffrelTest::focusKeys()
{
    Vault vault;
    Coffrel &w = vault.w();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    field(w, 4)->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), field(w, 4));
    QCOMPARE(field(w, 4)->text(), QStringLiteral("http://"));
    QCOMPARE(field(w, 4)->selectedText(), QStringLiteral("http://"));

    QTest::keyRelease(field(w, 4), Qt::Key_S);
    QCOMPARE(QApplication::focusWidget(), field(w, 4));
    QTest::keyRelease(field(w, 4), Qt::Key_Alt);
    QTest::keyRelease(field(w, 4), Qt::Key_S);
    QCOMPARE(QApplication::focusWidget(), field(w, 0));
    QTest::keyRelease(field(w, 0), Qt::Key_U);
    QCOMPARE(QApplication::focusWidget(), field(w, 1));

    QVERIFY(!w.menuItem(QStringLiteral("mnuCapture"))->isChecked());
    QTest::keyRelease(field(w, 2), Qt::Key_Control);
    QVERIFY(w.menuItem(QStringLiteral("mnuCapture"))->isChecked());
}

QTEST_MAIN(CoffrelTest)
#include "tst_coffrel.moc"
