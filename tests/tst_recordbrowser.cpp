#include "fakes/ProgramFolder.h"
#include "intl/Dictionary.h"
#include "records/PathTarget.h"
#include "records/RecordBrowser.h"
#include "records/ServiceListModel.h"
#include "vault/Database.h"
#include "vault/RecordCodec.h"
#include "vault/VaultAccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

const QString alpha = QStringLiteral("Alpha:!al:!pa1:!note:!http://a");
const QString bank = QStringLiteral("Bank:!bu:!bp:!:!");
const QString carrot = QStringLiteral("Carrot:!cu:!cp:!c info:!http://c");
const QStringList threeRecords {alpha, bank, carrot};

// A program folder with its database files, and the main window's rules started on it the
// way start-up does: the stored records loaded into the lists.
struct Browser : ProgramFolder
{
    explicit Browser(const QStringList &lines = {}, const QString &reach = QStringLiteral("0"))
        : access {reach, QStringLiteral("key")}
    {
        database = std::make_unique<Database>(dir.path(), access);
        database->EnsureDataFolder();
        if (!lines.isEmpty())
            database->RewriteDatabase(lines);
        start();
    }

    void start()
    {
        model = std::make_unique<ServiceListModel>();
        model->load(QFile::exists(filePath()) ? stored() : QStringList());
        browser = std::make_unique<RecordBrowser>(
            *model, *database, fake.platform, Dictionary::builtIn());
        shown = QStringList(RecordLine::fieldCount, QString());
        QObject::connect(browser.get(), &RecordBrowser::fieldTextChanged,
            [this](int index, const QString &text) { shown[index] = text; });
        RecordBrowser *r = browser.get();
        const auto tell = [this](const QString &what) { told.append(what); };
        QObject::connect(r, &RecordBrowser::focusRequested,
            [tell](int index) { tell(QStringLiteral("focus %1").arg(index)); });
        QObject::connect(r, &RecordBrowser::fieldCursorChanged, [tell](int i, int at, int n) {
            tell(QStringLiteral("cursor %1 %2 %3").arg(i).arg(at).arg(n));
        });
        QObject::connect(r, &RecordBrowser::hoverIndexChanged,
            [tell](int index) { tell(QStringLiteral("hover %1").arg(index)); });
        QObject::connect(r, &RecordBrowser::captureMarkChanged,
            [tell](bool marked) { tell(marked ? "marked" : "unmarked"); });
        QObject::connect(&r->windowLock(), &WindowLock::stateChanged,
            [tell](WindowLock::State state) { tell(stateNames[int(state)]); });
        QObject::connect(r, &RecordBrowser::rowShown,
            [tell](int row) { tell(QStringLiteral("row %1").arg(row)); });
        QObject::connect(
            r, &RecordBrowser::searchEmptied, [tell] { tell(QStringLiteral("search emptied")); });
    }
    static constexpr const char *stateNames[] = {"unguarded", "open", "locked"};

    QStringList stored() const { return ProgramFolder::stored(access.reach, access.databaseKey); }
    QString filePath() const
    {
        return access.enciphered() ? database->encipheredPath() : database->codedPath();
    }
    QByteArray fileBytes() const
    {
        QFile file(filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // Every write fails while the Data folder is a plain file.
    void breakData(bool broken) const
    {
        QDir folder(dir.path());
        if (broken) {
            folder.rename(QStringLiteral("Data"), QStringLiteral("Data.kept"));
            QFile(folder.filePath(QStringLiteral("Data"))).open(QIODevice::WriteOnly);
        } else {
            QFile::remove(folder.filePath(QStringLiteral("Data")));
            folder.rename(QStringLiteral("Data.kept"), QStringLiteral("Data"));
        }
    }

    void click(qsizetype row, Qt::MouseButton button = Qt::LeftButton)
    {
        if (button != Qt::RightButton && model->recordAt(row) != browser->selectedIndex())
            browser->List2_Click(row);
        browser->List2_MouseUp(button);
    }
    // Keys pressed in turn and released the other way round in a control (the fields by
    // index, then the list): "Ctrl+V"; a press kept from the control is told as "kept".
    void key(int control, const QString &names, bool pressed = true, bool released = true)
    {
        static const QHash<QString, int> named {{"Escape", Qt::Key_Escape}, {"Alt", Qt::Key_Alt},
            {"Ctrl", Qt::Key_Control}, {"Return", Qt::Key_Return}, {"Down", Qt::Key_Down}};
        QList<int> keys;
        for (const QString &name : names.split(u'+'))
            keys.prepend(named.value(name, Qt::Key_A + (name[0].unicode() - 'A')));
        for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
            if (pressed && browser->keyPressed(control, *key))
                told.append(QStringLiteral("kept"));
        }
        for (const int key : keys) {
            if (released)
                browser->keyReleased(control, key);
        }
    }
    // Typed into a field: "\n" and "\r" stand for line breaks.
    void type(int index, QString text)
    {
        shown[index] = text.replace("\\n", "\n").replace("\\r", "\r");
        browser->Text1_Change(index, text);
    }
    void fill(const QStringList &texts)
    {
        for (int i = 0; i < RecordLine::fieldCount; ++i)
            type(i, texts.value(i));
    }

    // Performs one step of a script: "verb|argument|text".
    void perform(const QString &step)
    {
        const QStringList parts = step.split(u'|');
        const int i = parts.value(1).toInt();
        RecordBrowser *r = browser.get(); // none after the end
        static const QHash<QString, Qt::FocusReason> reasons {{"", Qt::MouseFocusReason},
            {"tab", Qt::TabFocusReason}, {"backtab", Qt::BacktabFocusReason},
            {"jump", Qt::OtherFocusReason}, {"window", Qt::ActiveWindowFocusReason},
            {"menu", Qt::PopupFocusReason}};
        const QHash<QString, std::function<void()>> verbs {
            {"type", [&] { type(i, parts.value(2)); }},
            {"fill", [&] { fill(parts.mid(1)); }},
            {"left", [&] { click(i, Qt::LeftButton); }},
            {"middle", [&] { click(i, Qt::MiddleButton); }},
            {"right", [&] { click(i, Qt::RightButton); }},
            {"deselect", [&] { click(-1); }}, // Ctrl+click on the selected row
            {"down", // the list's selection moved by a key
                [&] {
                    r->keyPressed(RecordBrowser::serviceList, Qt::Key_Down);
                    r->List2_Click(model->rowOf(r->selectedIndex()) + 1);
                    r->keyReleased(RecordBrowser::serviceList, Qt::Key_Down);
                }},
            {"search", [&] { r->Search_Change(parts.value(1)); }},
            {"list", // tells the services the list shows
                [&] {
                    QStringList services;
                    for (int row = 0; row < model->rowCount(); ++row)
                        services.append(model->index(row).data().toString());
                    told.append("list " + services.join(u','));
                }},
            {"key", [&] { key(i, parts.value(2)); }},
            {"up", [&] { key(i, parts.value(2), false); }}, // pressed in a closed message box
            {"press", [&] { key(i, parts.value(2), true, false); }},
            {"add", [&] { r->AddRecord(); }},
            {"replace", [&] { r->mnuReplace_Click(); }},
            {"remove", [&] { r->mnuRemove_Click(); }},
            {"import", [&] { r->mnuImport_Click(); }},
            {"merge", [&] { r->mergeConflictCopies(); }},
            {"reset", [&] { r->mnuReset_Click(); }},
            {"oops", [&] { r->GrandOops_Click(i); }},
            {"unmask", [&] { r->Check1_Click(false); }},
            {"capture", [&] { r->mnuCapture_Click(); }},
            {"focus", [&] { r->Text1_GotFocus(i, reasons.value(parts.value(2))); }},
            {"click", [&] { r->Text1_Click(i); }},
            {"tip", [&] { told.append("tip '" + r->Text1_MouseMove(i) + "'"); }},
            {"label", [&] { r->copyField(i); }},
            {"red", [&] { told.append("red " + QString::number(r->copiedField())); }},
            {"reach", [&] { access.reach = parts.value(1); }},
            {"wait", // seconds pass
                [&] {
                    fake.clock.steady += parts.value(1).toInt() * 1000;
                    r->clipboardExpiry().check();
                    r->windowLock().checkIdle();
                }},
            {"idle", [&] { perform("wait|" + QString::number(i * 60)); }}, // minutes
            {"prefs",
                [&] {
                    r->applyPreferences({i, parts.value(2).toInt()});
                }},
            {"level", [&] { r->windowLock().levelChanged(); }},
            {"lock", [&] { r->windowLock().lock(); }},
            {"input", [&] { r->windowLock().input(); }},
            {"unlock",
                [&] {
                    const bool right = r->windowLock().passwordTest()(parts.value(1));
                    told.append(right ? "right" : "wrong");
                    if (right)
                        r->windowLock().unlock();
                }},
            {"state",
                [&] { told.append("is " + QString(stateNames[int(r->windowLock().state())])); }},
            {"count", [&] { told.append(QString::number(model->book().count()) + " records"); }},
            {"shown", [&] { told.append("shows '" + shown.join(u'|') + "'"); }},
            {"end", [&] { browser.reset(); }},
            {"clip", // tells what the clipboard holds
                [&] {
                    told.append("clipboard '" + fake.clipboard.content + "'"
                        + (fake.clipboard.secret ? " secret" : ""));
                }},
            {"break", [&] { breakData(true); }},
            {"other", // vaultine-cli adds a record while the window is open
                [&] {
                    VaultAccess other = access;
                    QVERIFY(Database(dir.path(), other).AppendRecord(parts.value(1)));
                }},
            {"cut", // another program's add cut short
                [&] {
                    QFile file(filePath());
                    QVERIFY(file.open(QIODevice::Append) && file.write("Cut") == 3);
                }},
            {"copy", // in another program
                [&] { fake.clipboard.setText(parts.value(1).replace("\\n", "\n"), false); }},
            {"tick",
                [&] {
                    if (r->capture().state() == CaptureMode::State::Capturing)
                        r->Timer2_Timer();
                }},
        };
        QVERIFY2(verbs.contains(parts[0]), qPrintable("unknown step " + step));
        verbs[parts[0]]();
    }
    void run(const QString &steps)
    {
        for (const QString &step : steps.split(u';', Qt::SkipEmptyParts))
            perform(step);
    }

    QString enabled() const
    {
        QString states;
        for (int command = 0; command < CommandStates::commandCount; ++command)
            states += browser->isEnabled(CommandStates::Command(command)) ? '1' : '0';
        return states;
    }

    VaultAccess access;
    std::unique_ptr<Database> database;
    std::unique_ptr<ServiceListModel> model;
    std::unique_ptr<RecordBrowser> browser;
    QStringList shown; // what the window's fields show: the texts typed, or the last told
    QStringList told; // what else the window was told, and what the steps noted
};

} // namespace

class RecordBrowserTest : public QObject
{
    Q_OBJECT

private slots:
    void commandStates_data()
    {
        QTest::addColumn<QString>("steps"); // separated by ';'
        QTest::addColumn<QString>("enabled"); // Add, Replace, Remove, Reset: 1 enabled, 0 not
        QTest::addColumn<QString>("fields"); // separated by '|'
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("state"); // capture: off, capturing, marked

        const auto row = [](const char *name, const QString &steps, const char *enabled,
                             const char *fields, int selected, int count,
                             const char *clipboard = "", const char *state = "off") {
            QTest::newRow(name) << steps << QString::fromLatin1(enabled)
                                << QString::fromLatin1(fields) << selected << count
                                << QString::fromLatin1(clipboard) << QString::fromLatin1(state);
        };
        const QString typeAll = QStringLiteral("type|0|New;type|1|nu;type|2|np");
        row("window opens", "", "0001", "||||", -1, 3);
        row("three fields typed", typeAll, "1101", "New|nu|np||", -1, 3);
        row("password missing", "type|0|S;type|1|U;type|3|O;type|4|P", "0001", "S|U||O|P", -1, 3);
        row("spaces count", "type|0| ;type|1| ;type|2|  ", "1101", " | |  ||", -1, 3);
        // A record is one line: every kind of line break becomes one space.
        const QString breaks
            = QStringLiteral("type|0|S;type|1|U;type|2|P;type|3|a\\nb\\r\\nc\\rd\\n\\n");
        row("line breaks typed", breaks, "1101", "S|U|P|a b c d  |", -1, 3);
        row("line breaks typed, added", breaks + ";add", "0001", "||||", -1, 4);
        row("username emptied", typeAll + ";type|1|", "0001", "New||np||", -1, 3);
        row("left release", "left|1", "1111", "Bank|bu|bp||", 1, 3);
        row("middle release", "middle|0", "1111", "Alpha|al|pa1|note|http://a", 0, 3);
        // A row chosen with the keys shows its record as a click does, also in a search.
        row("keyboard selection", "left|0;" + typeAll + ";down", "1111", "Bank|bu|bp||", 1, 3);
        row("click in a search", "search|ARR;left|0", "1111", "Carrot|cu|cp|c info|http://c", 2, 3);
        row("Down from the search box", "search|an;key|6|Down", "1111", "Bank|bu|bp||", 1, 3);
        row("right release after left", "left|1;right|1", "1101", "Bank|bu|bp||", -1, 3);
        row("right release at open", "right|1", "0001", "||||", -1, 3);
        row("right release keeps typed", typeAll + ";right|0", "1101", "New|nu|np||", -1, 3);
        // Ctrl+click takes the selection away: nothing is left to remove or replace.
        row("deselected", "left|1;deselect", "0111", "||||", -1, 3);
        row("remove after deselecting", "left|1;deselect;remove", "0111", "||||", -1, 3);
        row("release over no selection", "deselect", "0111", "||||", -1, 3);
        row("add done", typeAll + ";add", "0001", "||||", -1, 4);
        row("add after selecting", "left|0;type|4|http://z;add", "0011", "||||", -1, 4);
        row("Enter in Other Info adds", typeAll + ";key|3|Return", "0001", "||||", -1, 4);
        row("Return released only does not add", typeAll + ";up|3|Return", "1101", "New|nu|np||",
            -1, 3);
        row("Enter in other fields does not add",
            typeAll + ";key|0|Return;key|1|Return;key|2|Return;key|4|Return", "1101", "New|nu|np||",
            -1, 3);
        row("Enter without password", "type|0|S;type|1|U;key|3|Return", "0001", "S|U|||", -1, 3);
        row("replace done", "left|0;type|3|changed;replace", "1111",
            "Alpha|al|pa1|changed|http://a", -1, 3);
        row("replace done, moved", "left|0;type|0|Zed;replace", "1111", "Zed|al|pa1|note|http://a",
            -1, 3);
        row("remove done", "left|1;remove", "0001", "||||", -1, 2);
        row("entering the empty Path", "focus|4", "0001", "||||http://", -1, 3);
        // No selection change, so the fields are not emptied, and an empty Path leaves the field.
        row("edited record clicked again", "left|1;type|4|typed;left|1", "1111",
            "Bank|bu|bp||typed", 1, 3);
        // Undo, reset and capture: nothing selected, no record to add.
        const auto later = [&](const char *name, const QByteArray &steps, const char *fields,
                               const char *clipboard, const char *state, int count = 3,
                               const char *enabled = "0001") {
            row(name, QString::fromLatin1(steps), enabled, fields, -1, count, clipboard, state);
        };
        later("undo all after remove, then add", "left|0;remove;oops|0;add", "||||", "", "off");
        later("undo all after remove", "left|0;remove;oops|0", "Alpha|al|pa1|note|http://a", "",
            "off", 2, "1101");
        later("undo one field", "left|0;remove;oops|3", "||pa1||", "", "off", 2);
        // The removed record comes back, not the fields as edited.
        later("undo after an edited remove", "left|0;down;type|1|x;remove;oops|0", "Bank|bu|bp||",
            "", "off", 2, "1101");
        later("undo after add empties", "left|0;remove;fill|X|u|p;add;oops|0", "||||", "", "off");
        later("reset", "unmask;left|1;reset", "||||", "", "off");
        later("reset during capture", "copy|abc;capture;copy|abc;tick;reset", "||||", "", "off");
        later("reset keeps the clipboard", "copy|abc;reset", "||||", "abc", "off");
        later("nothing focused: into Service", "capture;copy|svc;tick", "svc||||", "svc",
            "capturing");
        later("switching on empties the clipboard", "copy|before;capture;tick", "||||", "",
            "capturing");
        later("a click into another field empties it", "capture;copy|svc;tick;focus|2;click|2;tick",
            "svc||||", "", "capturing");
        later("the new target takes the next copy",
            "capture;copy|svc;tick;focus|2;click|2;copy|pw;tick", "svc||pw||", "pw", "capturing");
        later("typed text is replaced at the tick", "capture;copy|svc;tick;type|0|typed;tick",
            "svc||||", "svc", "capturing");
        later("switching off keeps the text", "capture;copy|svc;tick;capture;copy|other;tick",
            "svc||||", "other", "off");
        later("Ctrl marks only", "copy|x;key|1|Ctrl;tick", "||||", "x", "marked");
        // Ctrl with another key edits the text: a click into a field afterwards takes nothing.
        for (const char *chord : {"Ctrl+V", "Ctrl+C", "Ctrl+A", "Ctrl+X", "Ctrl+G"})
            later(chord, "copy|x;type|3|y;key|1|" + QByteArray(chord) + ";focus|3;click|3", "|||y|",
                "x", "off");
        later("Ctrl alone after Ctrl+V", "copy|x;key|1|Ctrl+V;key|1|Ctrl", "||||", "x", "marked");
        later("marked only: the click takes the clipboard", "copy|x;key|1|Ctrl;click|1", "|x|||",
            "x", "marked");
        later(
            "marked only: the first click ends the mark", "key|1|Ctrl;capture", "||||", "", "off");
        later("marked only: the second click captures", "key|1|Ctrl;capture;capture;copy|y;tick",
            "y||||", "y", "capturing");
        later("window activated again: not entered", "capture;focus|2;copy|pw;focus|0|window;tick",
            "||pw||", "pw", "capturing");
        later("captured line breaks", "capture;copy|a\\nb;tick", "a b||||", "a\nb", "capturing");
    }
    void commandStates()
    {
        QFETCH(QString, steps);
        QFETCH(QString, enabled);
        QFETCH(QString, fields);
        QFETCH(int, selected);
        QFETCH(int, count);
        QFETCH(QString, clipboard);
        QFETCH(QString, state);

        Browser b(threeRecords);
        b.run(steps);
        static const QHash<QString, CaptureMode::State> states {{"off", CaptureMode::State::Off},
            {"capturing", CaptureMode::State::Capturing},
            {"marked", CaptureMode::State::MarkedOnly}};
        QCOMPARE(b.enabled(), enabled);
        QCOMPARE(b.browser->fieldTexts(), fields.split(u'|'));
        QCOMPARE(b.shown, b.browser->fieldTexts());
        QCOMPARE(b.browser->selectedIndex(), selected);
        QCOMPARE(b.model->book().count(), count);
        QCOMPARE(b.stored().size(), count);
        QVERIFY(b.fake.messages.shown.isEmpty());
        QCOMPARE(b.fake.clipboard.content, clipboard.replace("\\n", "\n"));
        QCOMPARE(b.browser->capture().state(), states.value(state));
        QVERIFY(b.browser->isPasswordMasked() || !steps.contains("reset"));
    }
    void refusedCommandChangesNothing_data()
    {
        QTest::addColumn<QString>("steps"); // separated by ';'
        QTest::addColumn<QString>("command"); // the refused one; "break;" first: writes fail
        QTest::addColumn<QString>("message"); // title|text|icon; "*" stands for any text

        const auto row = [](const QByteArray &name, const QString &steps, const QString &command,
                             const char *message) {
            QTest::newRow(name.constData()) << steps << command << QString::fromLatin1(message);
        };
        const char *noChange = "Vaultine|There were no changes|information";
        row("add, duplicate", "left|0", "add",
            "Vaultine|There is an identical record already filed|information");
        row("replace, nothing edited", "left|1", "replace", noChange);
        row("replace, equal to another record", "left|1;fill|Carrot|cu|cp|c info|http://c",
            "replace", noChange);
        for (const char *command : {"add", "replace"}) {
            for (int index = 0; index < 5; ++index) {
                row(QByteArray(command) + ", \":!\" in field " + QByteArray::number(index),
                    QStringLiteral("left|0;remove;left|1;fill|Dove|du|dp|di|dx;type|%1|x:!y")
                        .arg(index),
                    command, "Vaultine|*|information");
            }
        }
        for (const char *command : {"add", "replace", "remove"}) {
            row(QByteArray(command) + ", write fails", "left|1;type|3|edited",
                QStringLiteral("break;") + command,
                "Disk Error - i66|Can not access the DataBase.|stop");
        }
        row("add after a remove, write fails", "left|0;remove;fill|X|u|p", "break;add",
            "Disk Error - i66|Can not access the DataBase.|stop");
        row("replace, nothing selected", "type|0|New;type|1|nu;type|2|np", "replace", "");
        // The fields still equal a stored record: that is found before the missing selection.
        row("replace after deselecting", "left|1;right|1", "replace", noChange);
        row("remove after add", "left|1;type|4|x;add", "remove", "");
    }
    void refusedCommandChangesNothing()
    {
        QFETCH(QString, steps);
        QFETCH(QString, command);
        QFETCH(QString, message);

        Browser b(threeRecords);
        b.run(steps);
        const QStringList records = b.model->book().records();
        const QStringList fields = b.browser->fieldTexts();
        const QStringList saved = b.browser->savedFields();
        const QByteArray before = b.fileBytes();
        b.run(command);
        b.breakData(false);

        const QList<ShownMessage> &shown = b.fake.messages.shown;
        QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
        if (!shown.isEmpty()) {
            message.replace(QStringLiteral("|*|"), u'|' + shown[0].text + u'|');
            QCOMPARE(described(b.fake.messages), message);
            // A failed write names the file below the message.
            QCOMPARE(shown[0].detail.startsWith(b.database->dataFolder()),
                shown[0].title == QLatin1String("Disk Error - i66"));
        }
        QCOMPARE(b.model->book().records(), records);
        QCOMPARE(b.browser->fieldTexts(), fields);
        QCOMPARE(b.browser->savedFields(), saved); // undo still puts back a removed record
        QCOMPARE(b.fileBytes(), before);
    }
    // Another program's records are never rewritten away: a command that finds the file
    // changed lists the records again first.
    void anotherProgramsRecordIsKept_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("records");
        const QString changed = QStringLiteral("Vaultine|Another Vaultine program changed the "
                                               "records since they were listed. They are listed "
                                               "again as they are now: choose the record and try "
                                               "again.|information");
        const QString dragon = QStringLiteral("Dragon:!du:!dp:!:!");
        const QString edited = QStringLiteral("Bank:!edited:!bp:!:!");
        const QString aardvark = QStringLiteral("Aardvark:!au:!ap:!:!");
        for (const QString reach : {"0", "1"}) {
            const auto row = [&](const char *name, const QString &steps, const QString &message,
                                 const QStringList &records) {
                RecordBook book;
                book.load(records);
                QTest::addRow("%s, %s", name, qPrintable(reach))
                    << reach << steps << message << book.records();
            };
            row("replace", "left|1;type|1|edited;other|" + dragon + ";replace", changed,
                {alpha, bank, carrot, dragon});
            row("replace again",
                "left|1;type|1|edited;other|" + dragon + ";replace;left|1;type|1|edited;replace",
                changed, {alpha, edited, carrot, dragon});
            row("remove", "left|1;other|" + dragon + ";remove", changed,
                {alpha, bank, carrot, dragon});
            row("add", "other|" + dragon + ";fill|Egg|eu|ep;add", {},
                {alpha, bank, carrot, dragon, "Egg:!eu:!ep:!:!"});
            // The add finds the record filed already, after listing the records again: Remove
            // still takes the record in the fields.
            row("add refused, then remove", "left|1;other|" + aardvark + ";add;remove",
                "Vaultine|There is an identical record already filed|information",
                {aardvark, alpha, carrot});
            row("add after another's add cut short", "other|" + dragon + ";cut;fill|Egg|eu|ep;add",
                "Vaultine|A database file ended with a record cut short, left by a write that a "
                "crash or a power cut stopped. Those bytes are not a record and are not listed: "
                "they were taken out of the file and kept in Data, in the file named below. The "
                "records before them are all listed.|information",
                {alpha, bank, carrot, dragon, "Egg:!eu:!ep:!:!"});
            row("add, then replace",
                "other|" + dragon + ";fill|Egg|eu|ep;add;left|1;type|1|edited;replace", {},
                {alpha, edited, carrot, dragon, "Egg:!eu:!ep:!:!"});
        }
    }
    void anotherProgramsRecordIsKept()
    {
        QFETCH(QString, reach);
        QFETCH(QString, steps);
        QFETCH(QString, message);
        QFETCH(QStringList, records);
        Browser b(threeRecords, reach);
        b.run(steps);
        QCOMPARE(described(b.fake.messages), message);
        QCOMPARE(b.stored(), records);
        QCOMPARE(b.model->book().records(), records);
    }

    void recordsSurviveARestart_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::newRow("coded") << "0";
        QTest::newRow("enciphered") << "1";
    }
    void recordsSurviveARestart()
    {
        QFETCH(QString, reach);

        Browser b({carrot, bank, alpha}, reach);
        // Records that differ from a stored one only in letter case or only in Path are new; each
        // Add appends exactly one line.
        for (const char *add : {"fill|Alpha|AL|pa1|note|http://a;add", "fill|Bee|bu|bp||x;add"}) {
            const QByteArray before = b.fileBytes();
            b.run(add);
            const QByteArray after = b.fileBytes();
            QVERIFY(after.startsWith(before));
            QCOMPARE(after.mid(before.size()).count("\r\n"), 1);
        }
        b.run("left|1;remove;left|0;type|0|Zebra;replace");
        const QStringList expected {
            "Bank:!bu:!bp:!:!", "Bee:!bu:!bp:!:!x", carrot, "Zebra:!AL:!pa1:!note:!http://a"};
        QCOMPARE(b.model->book().records(), expected);
        QCOMPARE(b.model->book().services(), QStringList({"Bank", "Bee", "Carrot", "Zebra"}));
        // A rewrite stores the list's order.
        QCOMPARE(b.stored(), expected);
        b.start();
        QCOMPARE(b.model->book().records(), expected);

        b.run("left|0;remove;left|0;remove;left|0;remove;left|0;remove");
        QCOMPARE(b.model->book().count(), 0);
        QCOMPARE(b.fileBytes(), QByteArray());
        QVERIFY(b.fake.messages.shown.isEmpty());
        QVERIFY(b.noClearCopy());
    }
    // What the window is told besides the fields' texts: the cursor in a field entered, focus
    // jumps, the capture mark, tooltips and the program's end; and what the clipboard holds.
    void windowIsTold_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("told"); // separated by ';'
        QTest::addColumn<QString>("reach"); // of the records stored
        const auto locked
            = [](const char *name, const char *reach, const char *steps, const char *told) {
                  QTest::newRow(name) << QString(steps) << QString(told) << QString(reach);
              };
        const auto row = [&locked](const char *name, const char *steps, const char *told) {
            locked(name, "0", steps, told);
        };
        const char *pathPrompt = "cursor 4 0 0;cursor 4 0 7";
        row("empty Path, by Tab", "focus|4|tab", pathPrompt);
        row("empty Path, by mouse", "focus|4", pathPrompt);
        row("Path with text", "type|4|x.org;focus|4|tab", "cursor 4 5 0");
        row("Service, by a jump", "type|0|abc;focus|0|jump", "cursor 0 3 0");
        row("empty Service", "focus|0|backtab", "cursor 0 0 0");
        // The window activated again or a menu closed: the field is not entered.
        row("window activated", "focus|4|window", "");
        row("menu closed", "focus|4|menu", "");
        row("Escape in a field", "key|2|Escape", "end");
        row("Escape in the list", "key|5|Escape", "end");
        // The Escape that closed a message box is released here afterwards.
        row("Escape released only", "up|2|Escape", "");
        row("Escape released only, list", "up|5|Escape", "");
        row("Alt then S", "key|4|Alt;key|4|S", "kept;focus 0");
        row("Alt, S, U: U is text", "key|4|Alt;key|4|S;key|0|U", "kept;focus 0");
        row("Alt, Ctrl, R", "key|1|Alt;key|1|Ctrl;key|1|R", "marked;kept;focus 4");
        row("S without Alt", "key|4|S", "");
        row("Alt then another key", "key|3|Alt;key|3|X;key|3|O", "");
        row("Alt in the list", "key|5|Alt;key|5|S", "");
        // Alt held with a letter is the menu bar's (it takes the letter's press): no jump then,
        // and none armed after it.
        row("Alt+R", "press|1|Alt;up|1|Alt;up|1|R;key|1|S", "");
        row("Alt, then Alt+R", "key|1|Alt;press|1|Alt;up|1|Alt;up|1|R", "");
        row("Alt held with S", "press|1|Alt;press|1|S;up|1|Alt;up|1|S", "");
        // No tooltip shows the password; over a field no toolbar button is up.
        row("tooltips", "left|0;tip|2;tip|3", "hover 9;tip '';hover 9;tip 'note'");
        // A copied password or username is marked secret and leaves the clipboard when its
        // time is up or the program ends, unless another copy replaced it; a new copy starts
        // the time anew. The setting 0 keeps it.
        row("password", "left|0;label|2;clip;wait|29;clip;wait|1;clip",
            "clipboard 'pa1' secret;clipboard 'pa1' secret;clipboard ''");
        row("user name, sealed", "reach|3;left|0;label|1;clip;wait|30;clip",
            "clipboard 'al' secret;clipboard ''");
        row("copied over", "reach|1;left|0;label|2;copy|x;wait|30;clip", "clipboard 'x'");
        row("copied anew", "left|0;label|2;wait|20;label|1;wait|20;clip;wait|10;clip",
            "clipboard 'al' secret;clipboard ''");
        row("Path", "left|0;label|4;wait|30;end;clip", "clipboard 'http://a'");
        // A line separator (a line break as an import stores it) stays; a copy gives a line break.
        row("line separator", "type|1|a\u2028b;label|1;clip;shown",
            "clipboard 'a\nb' secret;shows '|a\u2028b|||'");
        row("the program ends", "left|0;label|2;end;clip", "clipboard ''");
        row("kept", "prefs|0|5;left|0;label|2;wait|3600;end;clip", "clipboard 'pa1' secret");
        // Enter on a row copies its password as the Password label does.
        row("Enter in the list", "down;key|5|Return;clip", "clipboard 'pa1' secret");
        row("Enter in the list, nothing selected", "key|5|Return;clip", "clipboard ''");
        // The search keeps the record in the fields selected, shown in the list when found;
        // Add, Replace and Remove act on it, and the search stays.
        row("search", "left|1;search|AN;list;search|x;list;search|;list",
            "row 0;list Bank;row -1;list ;row 1;list Alpha,Bank,Carrot");
        row("replace in a search", "search|arr;left|0;type|0|Zed;replace;list;search|;list",
            "row -1;list ;row -1;list Alpha,Bank,Zed");
        row("remove in a search", "search|car;left|0;remove;list;search|;list",
            "row -1;list ;row -1;list Alpha,Bank");
        row("add in a search", "search|an;fill|Banana|u|p;add;list;fill|Zed|u|p;add;list",
            "row -1;focus 0;list Banana,Bank;focus 0;list Banana,Bank");
        row("Escape in the search box", "key|6|Escape", "search emptied");
        row("Down from the search box, nothing found", "search|zz;key|6|Down", "row -1");
        row("Down from the search box, selection found", "left|2;search|c;key|6|Down",
            "row 0;focus 5");
        row("Down from the search box, selection not found", "left|2;search|b;key|6|Down",
            "row -1;row 0;focus 5");
        // The red label goes black when its field is emptied, not when another one is.
        row("copied field emptied",
            "left|0;label|2;type|1|;red;type|2|;red;left|1;label|1;reset;red",
            "red 2;red -1;red -1");
        // Only a master password opens a locked window. Open, it locks at the menu item or the
        // session's lock, and after the idle minutes without input; locked, it shows nothing of
        // a record and no copy the program made stays on the clipboard.
        locked("none", "0", "level;lock;idle|60;state", "is unguarded");
        locked("locked, then the password", "1",
            "level;left|0;label|2;lock;clip;unlock|Key;unlock|key",
            "open;locked;clipboard '';wrong;right;open");
        locked("a copy elsewhere stays", "2", "level;left|1;remove;left|0;label|2;copy|x;lock;clip",
            "open;locked;clipboard 'x'");
        locked("idle minutes, input restarts them", "2", "level;idle|4;input;idle|4;state;idle|1",
            "open;is open;locked");
        locked("no idle lock", "1", "prefs|30|0;level;idle|1440;state", "open;is open");
        locked("locked: no second lock", "1", "level;lock;lock;idle|10;state",
            "open;locked;is locked");
        locked("open again: the idle time anew", "1",
            "level;idle|3;lock;unlock|key;idle|3;state;idle|2",
            "open;locked;right;open;is open;locked");
        locked("another program's record", "1", "level;lock;other|Zed:!z:!p:!:!;unlock|key;count",
            "open;locked;right;open;4 records");
        locked("the master password taken away", "1", "level;reach|0;level;lock;idle|10",
            "open;unguarded");
        locked("sealed", "3", "level;lock;unlock|nope;unlock|key", "open;locked;wrong;right;open");
        // What was typed and not stored comes back with the password, and undo still puts back
        // what a Remove took; a record shown unchanged is not put back.
        locked("typed, not stored", "1", "level;fill|New|nu|np;lock;unlock|key;shown",
            "open;locked;right;open;shows 'New|nu|np||'");
        locked("typed as the master password is set", "1", "fill|New|nu|np;level;shown",
            "open;shows 'New|nu|np||'");
        locked("a record shown", "1", "level;left|0;lock;unlock|key;shown",
            "open;locked;right;open;shows '||||'");
        locked("removed, then undone", "1",
            "level;left|0;remove;count;lock;unlock|key;oops|0;shown",
            "open;2 records;locked;right;open;cursor 0 5 0;shows 'Alpha|al|pa1|note|http://a'");
    }
    void windowIsTold()
    {
        QFETCH(QString, steps);
        QFETCH(QString, told);
        QFETCH(QString, reach);

        Browser b(threeRecords, reach);
        if (reach == QLatin1String("3"))
            QVERIFY(b.store(threeRecords, reach, QStringLiteral("key")));
        b.run(steps);
        b.told += QStringList(b.fake.programEnd.calls, QStringLiteral("end"));
        QCOMPARE(b.told.join(u';'), told);
        if (b.browser && b.browser->windowLock().isLocked()) { // not after the end
            QCOMPARE(b.shown, QStringList(RecordLine::fieldCount));
            QCOMPARE(b.browser->selectedIndex(), -1);
        }
    }
    // The window's preferences: a value missing, out of range or not a number is the default;
    // what is read is written back as it was.
    void preferencesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("content"); // "<none>": no file
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("minutes");
        const auto row = [](const char *name, const QByteArray &content, int seconds, int minutes) {
            QTest::newRow(name) << content << seconds << minutes;
        };
        row("no file", "<none>", 30, 5);
        row("both", "clipboard-seconds=10\nidle-lock-minutes=0\n", 10, 0);
        row("spaces, CR LF, other lines", "colour=red\r\n idle-lock-minutes = 1440\r\n", 30, 1440);
        row("out of range", "clipboard-seconds=3601\nidle-lock-minutes=-1\n", 30, 5);
        row("not numbers", "clipboard-seconds=ten\nidle-lock-minutes\nidle-lock-minutes=2x", 30, 5);
        row("larger than read", "clipboard-seconds=1\n" + QByteArray(4096, '\n'), 30, 5);
    }
    void preferencesRoundTrip()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, seconds);
        QFETCH(int, minutes);

        Browser b;
        const Preferences preferences(b.database->dataFolder());
        if (content != "<none>") {
            QFile file(b.database->dataFolder() + u'/' + Preferences::fileName);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        const Preferences::Values read = preferences.read();
        QCOMPARE(read.clipboardSeconds, seconds);
        QCOMPARE(read.idleLockMinutes, minutes);
        QVERIFY(preferences.write(read));
        QCOMPARE(preferences.read(), read);
    }
    // The list shows the records whose service, username, other info or path holds the search
    // text, case and accents ignored, in the book's order, and keeps doing so while records
    // come and go.
    void searchFindsRecords_data()
    {
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<QString>("steps"); // text|T, add|LINE, remove|I, replace|I|LINE, prepare
        QTest::addColumn<QString>("shown"); // the services listed, separated by ','
        const QStringList accents {QStringLiteral(u"Caf\u00e9:!R\u00e9mi:!pw:!:!"),
            QStringLiteral(u"Stra\u00dfe:!S\u00f8ren:!pw:!\u0141\u00f3d\u017a:!"),
            QStringLiteral(u"Un cafe\u0301:!x:!pw:!:!")};
        const auto row = [](const char *name, const QStringList &records, const char *steps,
                             const char *shown) {
            QTest::newRow(name) << records << QString::fromUtf8(steps) << QString::fromUtf8(shown);
        };
        row("no text: every record", threeRecords, "text|", "Alpha,Bank,Carrot");
        row("service, case ignored", threeRecords, "text|bAN", "Bank");
        row("username", threeRecords, "text|cu", "Carrot");
        row("other info", threeRecords, "text|NOTE", "Alpha");
        row("path", threeRecords, "text|http://", "Alpha,Carrot");
        row("not the password", threeRecords, "text|pa1", "");
        row("not across two fields", threeRecords, "text|alpha:!al", "");
        row("a line break typed is a space", threeRecords, "text|c\ninfo", "Carrot");
        row("a note's line break is a space", {QStringLiteral(u"Notes:!u:!p:!one\u2028two:!")},
            "text|one two", "Notes");
        row("narrowed, then widened", threeRecords, "text|a;text|al;text|alp;text|a",
            "Alpha,Bank,Carrot");
        const char *cafes = "Caf\xc3\xa9,Un cafe\xcc\x81"; // composed, then decomposed
        row("accents in the records", accents, "text|CAFE", cafes);
        row("accents in the text", accents, "text|cafÉ", cafes);
        row("letters without a decomposition", accents, "text|strasse", "Straße");
        row("stroke letters", accents, "text|LODZ;text|lodz;text|soren", "Straße");
        row("ß in the text", accents, "text|straß", "Straße");
        row("added, found", threeRecords, "text|an;add|Banana:!u:!p:!:!", "Banana,Bank");
        row("added, not found", threeRecords, "text|an;add|Zed:!u:!p:!:!;text|",
            "Alpha,Bank,Carrot,Zed");
        row("added before the rows found", threeRecords, "text|c;add|Aa:!c:!p:!:!", "Aa,Carrot");
        row("removed", threeRecords, "text|a;remove|0", "Bank,Carrot");
        row("replaced, found", threeRecords, "text|an;replace|0|Zan:!u:!p:!:!", "Bank,Zan");
        row("replaced, lost", threeRecords, "text|an;replace|1|Bar:!u:!p:!:!", "");
        row("changed after the search was readied", threeRecords,
            "prepare;remove|0;add|Err:!u:!p:!:!;text|rr", "Carrot,Err");
        row("changed while no text", threeRecords,
            "text|rr;text|;remove|0;add|Err:!u:!p:!:!;text|rr", "Carrot,Err");
    }
    void searchFindsRecords()
    {
        QFETCH(QStringList, records);
        QFETCH(QString, steps);
        QFETCH(QString, shown);

        ServiceListModel model;
        model.load(records);
        for (const QString &step : steps.split(u';')) {
            const QStringList parts = step.split(u'|');
            RecordBook next = model.book();
            if (parts[0] == "text") {
                model.setSearchText(QString(parts[1]).replace("\\n", "\n"));
            } else if (parts[0] == "add") {
                model.insert(parts[1]);
            } else if (parts[0] == "prepare") {
                model.prepareSearch();
            } else {
                next.removeAt(parts[1].toInt());
                if (parts[0] == "replace")
                    next.insert(parts[2]);
                model.setBook(next);
            }
        }
        QStringList services;
        for (int row = 0; row < model.rowCount(); ++row) {
            services.append(model.index(row).data().toString());
            const qsizetype record = model.recordAt(row);
            QCOMPARE(model.book().service(record), services.last());
            QCOMPARE(model.rowOf(record), row);
        }
        QCOMPARE(services.join(u','), shown);
        // A record not listed has no row.
        for (qsizetype record = 0; record < model.book().count(); ++record)
            QCOMPARE(model.rowOf(record) >= 0, services.contains(model.book().services()[record]));
    }
    void pathTargets_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("target"); // "<home>" stands for the home folder's path
        const auto row = [](const char *name, const char *path, const char *target) {
            QTest::newRow(name) << QString(path) << QString(target);
        };
        row("web address", "http://x.example/a", "http://x.example/a");
        row("host only", "www.x.org", "www.x.org");
        row("empty", "", "");
        row("relative file", "docs/pw.pdf", "<home>/docs/pw.pdf");
        row("relative folder", "docs", "<home>/docs");
        row("home file", "~/docs/pw.pdf", "<home>/docs/pw.pdf");
        row("home itself", "~", "<home>");
        row("missing home file", "~/none.pdf", "~/none.pdf");
    }
    void pathTargets()
    {
        QFETCH(QString, path);
        QFETCH(QString, target);

        QTemporaryDir home;
        QDir(home.path()).mkdir(QStringLiteral("docs"));
        QFile(home.filePath(QStringLiteral("docs/pw.pdf"))).open(QIODevice::WriteOnly);
        QCOMPARE(shellTarget(path, home.path()), target.replace("<home>", home.path()));
    }
    void formerDatabaseIsImported_data()
    {
        QTest::addColumn<QByteArray>("former"); // decoded lines; "<none>": no former file
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<QString>("message");

        const QByteArray two = "Mail:me:pw:http://m\r\nBank:b:p:x\r\n";
        const QString bank = QStringLiteral("Bank:!b:!p:!:!x"), mail("Mail:!me:!pw:!:!http://m");
        const auto row
            = [](const char *name, const QByteArray &former, const char *steps,
                  const QStringList &records,
                  const char *message = "Vaultine|Old Database Import Success|information") {
                  QTest::newRow(name) << former << QString(steps) << records << QString(message);
              };
        row("empty installation, reach 1", two, "reach|1;import", {bank, mail});
        row("twice", two, "import;import", {bank, bank, mail, mail});
        row("after an add", two, "fill|Alpha|a|p;add;import", {"Alpha:!a:!p:!:!", bank, mail});
        // S:U:P:X is Service, Username, Password and Path; a fifth part is Other Info. A blank
        // line is passed over.
        row("lines converted",
            "A:U:P:X\r\n\r\nB:U:P:\r\njust text\r\nD:U:P:http://x.example/a\r\nE:https://y\r\n"
            "F, \"b\":u:p:x,y\r\nG:U:P:O:X\r\n",
            "import",
            {":!just text", "A:!U:!P:!:!X", "B:!U:!P:!", "D:!U:!P:!:!http://x.example/a",
                "E:!:!https://y", "F, \"b\":!u:!p:!:!x,y", "G:!U:!P:!O:!:!X"});
        // Bytes undefined in Windows-1252 (0x81) keep their Latin-1 code point.
        row("windows-1252 line", "Caf\xe9 \x80 \x93q\x94 \x96 \x81:u:p:x\r\n", "import",
            {QStringLiteral(u"Caf\u00e9 \u20ac \u201cq\u201d \u2013 \u0081:!u:!p:!:!x")});
        row("no former file", "<none>", "import", {}, "");
        row("write fails", two, "break;import", {},
            "Disk Error - i66|Can not access the DataBase.|stop");
    }
    void formerDatabaseIsImported()
    {
        QFETCH(QByteArray, former);
        QFETCH(QString, steps);
        QFETCH(QStringList, records);
        QFETCH(QString, message);

        Browser b;
        if (former != "<none>") {
            QFile file(b.dir.filePath(QStringLiteral("CFDB.pdb")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(EncodeRecord(former)); // line ends are not coded
        }
        b.run(steps);
        b.breakData(false);

        QCOMPARE(b.model->book().records(), records);
        QCOMPARE(b.stored(), b.model->book().records());
        QCOMPARE(b.fake.messages.shown.size(), message.isEmpty() ? 0 : steps.count("import"));
        if (!message.isEmpty())
            QCOMPARE(described(b.fake.messages).section(u'\n', -1), message);
        QVERIFY(b.noClearCopy());
    }
    // The conflict copies a sync tool left in Data, merged: a copy of the list of removals (its
    // removal of Mail kept, though the other copy holds Mail) and a copy of the records (New
    // comes in); each set aside once merged. A failed write merges nothing and sets nothing
    // aside.
    void conflictCopiesAreMerged_data()
    {
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<int>("setAside");
        QTest::addColumn<QString>("message");
        const QString bank("Bank:!b:!p:!:!"), fresh("New:!n:!p:!:!");
        QTest::newRow("merged") << false << QStringList {bank, fresh} << 2
                                << "Vaultine|CF2DB (h's conflicted copy).removed: 0 added, 1 "
                                   "removed.\nCF2DB.sync-conflict-1.pdb: 1 added, 0 "
                                   "removed.|information";
        QTest::newRow("write fails") << true << QStringList {bank, "Mail:!m:!p:!:!"} << 0
                                     << "Disk Error - i66|Can not access the DataBase.|stop";
    }
    void conflictCopiesAreMerged()
    {
        QFETCH(bool, writeFails);
        QFETCH(QStringList, records);
        QFETCH(int, setAside);
        QFETCH(QString, message);
        const QString bank("Bank:!b:!p:!:!"), mail("Mail:!m:!p:!:!");
        Browser b({bank, mail});
        b.database->setClock(b.fake.clock);
        const QDir data(b.dir.filePath(QStringLiteral("Data")));
        // The list of removals, written first, cannot be.
        QVERIFY(!writeFails || data.mkdir(RemovalList::fileName + DataFolder::newSuffix));
        RemovalList removals {QByteArray()};
        removals.remove(mail, RemovalList::today(b.fake.clock));
        QFile list(data.filePath(QStringLiteral("CF2DB (h's conflicted copy).removed")));
        QFile copy(data.filePath(QStringLiteral("CF2DB.sync-conflict-1.pdb")));
        QVERIFY(list.open(QIODevice::WriteOnly) && copy.open(QIODevice::WriteOnly));
        list.write(removals.content(RemovalList::today(b.fake.clock)));
        for (const QString &line : {bank, mail, QStringLiteral("New:!n:!p:!:!")})
            copy.write(EncodeRecord(line.toUtf8()) + "\r\n");
        list.close(), copy.close();
        b.run("merge");
        QCOMPARE(b.model->book().records(), records);
        QCOMPARE(b.stored(), records);
        QCOMPARE(data.entryList({QStringLiteral("*.merged-*")}).size(), setAside);
        QCOMPARE(b.database->conflictCopies().size(), 2 - setAside);
        QCOMPARE(described(b.fake.messages), message);
    }
};

QTEST_GUILESS_MAIN(RecordBrowserTest)
#include "tst_recordbrowser.moc"
