#include "app/PassReq.h"
#include "fakes/StartedWindow.h"
#include "intl/CaptionTable.h"
#include "intl/LangSelect.h"
#include "intl/LanguageFile.h"
#include "intl/LanguageSelection.h"
#include "platform/LiteralText.h"
#include "records/MainWindowLayout.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// Dictionary sizes: English has none, a whole language file every line, an older one the lines
// before the added ones, a cut one 30; a wide one has whole lines far wider than the screen.
constexpr int english = 0;
constexpr int whole = CaptionTable::lineCount;
constexpr int older = CaptionTable::firstAddedLine;
constexpr int cut = 30;
constexpr int wide = -1;
const QString programPath = QStringLiteral("/opt/vaultine/vaultine");

// Line n reads "L<n>", but lines 16 and 18 hold ampersands as menu captions do.
Dictionary numbered(int items, QHash<int, QString> changed = {})
{
    if (items == english)
        return Dictionary::builtIn();
    if (items == wide)
        return Dictionary(QStringLiteral("Test"), QStringList(whole, QString(100000, u'W')));
    changed.insert(16, changed.value(16, QStringLiteral("&Foo")));
    changed.insert(18, changed.value(18, QStringLiteral("R&e&place")));
    changed.insert(40, changed.value(40, QStringLiteral("Len: 0")));
    QStringList lines;
    for (int n = 0; n < items; ++n)
        lines.append(changed.value(n, QStringLiteral("L%1").arg(n)));
    return Dictionary(QStringLiteral("Test"), lines);
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class IntlTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LiteralText::install(); }
    // The dialogs a test opened close with it.
    void cleanup()
    {
        for (QWidget *window : QApplication::topLevelWidgets())
            window->close();
    }
    // lang.dat names the language; intl/<name>.dat holds its dictionary's lines, where a comma
    // splits a line unless quoted.
    void chosenLanguageIsLoaded_data()
    {
        QTest::addColumn<QString>("chosen"); // lang.dat; none when null
        QTest::addColumn<QByteArray>("file"); // intl/<chosen>.dat; none when null
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QStringList>("lines");
        const auto row = [](const char *name, const QString &chosen, const QByteArray &file,
                             const QString &language, bool loaded, const QStringList &lines = {}) {
            QTest::newRow(name) << chosen << file << language << loaded << lines;
        };
        const auto read = [&row](const char *name, const QByteArray &file,
                              const QStringList &lines) { row(name, "T", file, "T", true, lines); };
        row("no lang.dat", {}, {}, "English", true);
        row("empty lang.dat", "", {}, "English", true);
        row("English", "English", "x\r\n", "English", true);
        row("english, no file", "english", {}, "english", false);
        row("english, file", "english", "x\r\n", "english", true, {"x"});
        row("comma in name", "Deutsch, CH", "x\r\n", "Deutsch, CH", true, {"x"});
        row("named pipe", "Pipe", "<pipe>", "Pipe", false);
        row("over the limit", "Big", "i0\r\n" + QByteArray(LanguageFile::sizeLimit, 'x'), "Big",
            false);
        read("quoted comma", "\"a, b\"\r\nc\r\n", {"a, b", "c"});
        read("comma splits", "a,b\r\nc\r\n", {"a", "b", "c"});
        read("blank line", "a\r\n\r\nc\r\n", {"a", "", "c"});
        read("spaces", "  a  \r\nb, c \r\n", {"a  ", "b", "c "});
        read("no final line end", "a\r\nb", {"a", "b"});
        read("CR LF and LF", "a\r\nb\nc\r\n", {"a", "b", "c"});
        read("UTF-8", "G\xc3\xa9n\xc3\xa9rer\r\n", {"Générer"});
        read("Windows-1252", "\x80 \xe9t\xe9\r\n", {"€ été"});
    }
    void chosenLanguageIsLoaded()
    {
        QFETCH(QString, chosen);
        QFETCH(QByteArray, file);
        QFETCH(QString, language);
        QFETCH(bool, loaded);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        if (!chosen.isNull())
            writeFile(dir.filePath("lang.dat"), chosen.toUtf8() + "\r\n");
        QDir(dir.path()).mkdir(QStringLiteral("intl"));
        const QString path = dir.filePath("intl/" + chosen + ".dat");
        if (file == "<pipe>")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (!file.isNull())
            writeFile(path, file);
        Dictionary dictionary(QStringLiteral("Before"), {QStringLiteral("stale")});
        QCOMPARE(LanguageChoice(dir.path()).LoadLanguageChoice(dictionary), loaded);
        QCOMPARE(dictionary.language(), language);
        QCOMPARE(dictionary.isEnglish(), language == QLatin1String("English"));
        for (int n = 0; n <= lines.size(); ++n) // nothing left of the stale one, nothing past
            QCOMPARE(dictionary.line(n), lines.value(n));
    }
    // Every window in a language: each caption row shows its dictionary line (a cut file
    // leaves the text empty, English keeps the built-in texts); each window is a window or a
    // dialog to screen readers, and in a whole language none keeps an English name.
    void everyWindowSpeaksTheLanguage_data()
    {
        QTest::addColumn<int>("items");
        QTest::newRow("whole") << whole;
        QTest::newRow("older") << older;
        QTest::newRow("cut") << cut;
        QTest::newRow("English") << english;
        QTest::newRow("wider than the screen") << wide;
    }
    void everyWindowSpeaksTheLanguage()
    {
        QFETCH(int, items);
        const Dictionary dictionary = numbered(items);
        StartedWindow main({QStringLiteral("Alpha:!al:!pa1:!note:!http://a")}, dictionary);
        writeFile(main.dir.filePath("lang.dat"), items == english ? "English\r\n" : "Klingon\r\n");
        main.w->openSecuritySettings();
        main.w->menuItem(QStringLiteral("mnuAbout"))->trigger();
        main.w->menuItem(QStringLiteral("mnuLang"))->trigger();
        PassReq prompt(
            PasswordCheck::equalTo(QStringLiteral("pw")), main.fake.platform, dictionary);
        prompt.show();
        QHash<QString, QWidget *> shown; // the open windows by name
        for (QWidget *window : QApplication::topLevelWidgets())
            shown.insert(window->isVisible() ? window->objectName() : QString(), window);
        using namespace CaptionTable;
        const std::pair<QWidget *, std::span<const Row>> windows[] = {{main.w, mainWindow},
            {&prompt, passwordPrompt}, {shown.value("Config"), securitySettings},
            {shown.value("Splash"), splash}, {shown.value("LangSelect"), languageDialog}};
        for (const auto &[window, rows] : windows) {
            QVERIFY(window);
            for (const Row &row : rows) {
                const QString name = QString::fromLatin1(row.control);
                QObject *control = row.property == Property::Title ? window
                    : window == main.w                             ? main.w->control(name)
                                       : window->findChild<QObject *>(name);
                QVERIFY2(control, row.control);
                const char *property = row.property == Property::Title ? "windowTitle"
                    : row.property == Property::Tooltip                ? "toolTip"
                    : row.property == Property::Name                   ? "accessibleName"
                    : row.property == Property::Placeholder            ? "placeholderText"
                    : qobject_cast<QGroupBox *>(control)               ? "title"
                                                                       : "text";
                const QString text = control->property(property).toString();
                const QString line = dictionary.line(row.line) + row.suffix;
                // Too wide for the screen, a caption is cut, its whole text in the tooltip.
                const bool cutShort = text.endsWith(QChar(0x2026))
                    && line.startsWith(text.chopped(1)) && control->property("toolTip") == line;
                const bool wideCaption = items == wide && row.property == Property::Caption;
                // A line the file lacks, added after it was made, leaves the English caption.
                const bool added = items != wide && row.line >= older && row.line >= items;
                QVERIFY2(items == english || added ? !text.isEmpty()
                        : wideCaption              ? cutShort
                                                   : text == line,
                    qPrintable(row.control + (" shows " + text)));
                if (auto *label = qobject_cast<QLabel *>(control)) { // text, never markup
                    label->ensurePolished();
                    QCOMPARE(label->textFormat(), Qt::PlainText);
                }
            }
            const int screenWidth = window->screen()->availableGeometry().width();
            for (QLineEdit *box : window->findChildren<QLineEdit *>()) { // every box on the screen
                QVERIFY2(!box->isVisible()
                        || box->mapTo(window, box->rect().topRight()).x() < screenWidth,
                    qPrintable(window->objectName() + u' ' + box->objectName()));
            }
            const QAccessible::Role role = QAccessible::queryAccessibleInterface(window)->role();
            QVERIFY2(role == (window == main.w ? QAccessible::Window : QAccessible::Dialog),
                qPrintable(window->objectName()));
            QObjectList controls {window};
            for (QWidget *control : window->findChildren<QWidget *>())
                controls.append(control);
            for (QObject *control : controls) {
                const QString name
                    = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
                static const QRegularExpression translated(
                    QStringLiteral("^(|(L\\d+|Foo|Re&place|Len:)( .*)?|Vaultine|Services|Languages|"
                                   "Expiry date|Show password|1.0 Dec 2026|vaultine.example)$"));
                QVERIFY2(items != whole || translated.match(name).hasMatch(),
                    qPrintable(control->objectName() + ": " + name));
                // Qt's own parts aside, every field, list and toolbar control has a name.
                const bool named = !control->objectName().startsWith(QLatin1String("qt_"))
                    && (control->inherits("QLineEdit") || control->inherits("ToolbarIcon")
                        || control->inherits("QToolButton")
                        || control->inherits("QAbstractItemView"));
                QVERIFY2(
                    items == cut || !named || !name.isEmpty(), qPrintable(control->objectName()));
            }
        }
        // A typed password leaves the length label in the language.
        shown.value("Config")->findChild<QLineEdit *>("Text1")->setText("pw");
        const QString length = shown.value("Config")->findChild<QLabel *>("Label2")->text();
        QVERIFY2(
            length == (items == english ? "Length: " : "Len: ") || items == cut || items == wide,
            qPrintable(length));
        // The toolbar buttons are named after the commands they run, the undo items after the
        // fields' labels.
        const char *tips[] = {"Foo", "Re&place", "L17", "L19", "L14", "L23", "L15", "L24", "L70"};
        for (int i = 0; items == whole && i < 9; ++i)
            QCOMPARE(main.find(QStringLiteral("Command1(%1)").arg(i))->accessibleName(), tips[i]);
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(main.w->menuItem(QStringLiteral("GrandOops(%1)").arg(k))->text(),
                main.find(QString::fromLatin1(CaptionTable::mainWindow[k - 1].control))
                    ->property("text"));
        // Refusals are told in the language: an identical record, a replace without change.
        main.w->browser().List2_Click(0);
        main.w->browser().List2_MouseUp(Qt::LeftButton);
        main.w->browser().AddRecord();
        main.w->browser().mnuReplace_Click();
        if (items == whole)
            QCOMPARE(described(main.fake.messages),
                QStringLiteral("Vaultine|L68|information\nVaultine|L72|information"));
    }
    void fieldsFollowTheLabels_data()
    {
        QTest::addColumn<QList<double>>("rights"); // the labels' right edges in twips
        QTest::addColumn<int>("left");
        QTest::newRow("long labels") << QList<double> {600, 2400, 900, 800, 500} << 2500;
        QTest::newRow("short labels") << QList<double> {400, 420, 450, 380, 300} << 550;
        QTest::newRow("Path widest") << QList<double> {600, 700, 800, 900, 1900} << 2000;
        QTest::newRow("half to even below") << QList<double> {1000.5, 0, 0, 0, 0} << 1100;
        QTest::newRow("half to even above") << QList<double> {0, 0, 0, 1001.5, 0} << 1102;
    }
    void fieldsFollowTheLabels()
    {
        QFETCH(QList<double>, rights);
        QFETCH(int, left);
        std::array<double, 5> labelRights;
        std::copy(rights.begin(), rights.end(), labelRights.begin());
        QList<QRect> fields;
        for (const Twips &field : MainWindowLayout::correctedFields(labelRights))
            fields.append(QRect(field.left, field.top, field.width, field.height));
        QCOMPARE(fields,
            QList<QRect>({{left, 690, 4140, 360}, {left, 1050, 2850, 360}, {left, 1410, 2850, 360},
                {left, 1770, 4140, 360}, {left, 2160, 4140, 360}}));
    }
    void fieldsStandRightOfTranslatedLabels_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        QTest::newRow("long Username") << 6 << "A much longer username label";
        QTest::newRow("long Path") << 9 << "Path of the program or of the web page";
        QTest::newRow("short labels") << 5 << "S";
    }
    void fieldsStandRightOfTranslatedLabels()
    {
        QFETCH(int, line);
        QFETCH(QString, text);
        StartedWindow win({}, numbered(whole, {{line, text}}));
        int labelsRight = 0;
        for (const char *name : {"Label4", "Label1", "Label2", "Label3", "Label5"}) {
            auto *label = qobject_cast<QLabel *>(win.find(QString::fromLatin1(name)));
            QVERIFY2(label->width() >= label->sizeHint().width(), name); // the whole caption
            labelsRight = qMax(labelsRight, label->x() + label->sizeHint().width());
        }
        for (int i = 0; i < 5; ++i) {
            const QRect field = win.find(QStringLiteral("Text1(%1)").arg(i))->geometry();
            QVERIFY(field.left() > labelsRight);
            QVERIFY(field.right() < win.w->screen()->availableGeometry().width());
            QCOMPARE(field.width(), Twips::pixels(i == 1 || i == 2 ? 2850 : 4140));
            for (const char *box : {"Check1", "Check2"}) {
                const QRect boxPlace = win.find(QString::fromLatin1(box))->geometry();
                QVERIFY2(!boxPlace.intersects(field), box);
                QVERIFY2(i == 0 || i > 2 || boxPlace.left() > field.right(), box);
            }
        }
    }
    // The languages listed from the files, the one chosen selected; Ok on a row stores it and
    // starts the program again, unless the start fails. Enter on the list chooses once: one
    // program started, no second one told that the first runs.
    void languagesAreListedAndChosen_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("chosen"); // none when null
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("translates");
        QTest::addColumn<int>("ok"); // the row Ok takes
        QTest::addColumn<bool>("startFails");
        QTest::addColumn<bool>("enter"); // pressed on the row in the dialog instead of Ok
        const auto row = [](const char *name, const QStringList &files, const QString &chosen,
                             const QStringList &names, int selected, bool translates, int ok = -1,
                             bool startFails = false, bool enter = false) {
            QTest::newRow(name) << files << chosen << names << selected << translates << ok
                                << startFails << enter;
        };
        const QStringList two {"German.dat", "French.dat"};
        const QStringList three {"English", "French", "German"};
        row("empty folder", {}, {}, {"English"}, -1, false);
        row("sorted, German", two, "German", three, 2, true, 2);
        row("letter case ignored", {"German.dat", "deutsch.dat", "French.dat"}, "deutsch",
            {"deutsch", "English", "French", "German"}, 0, true);
        row("English file", {"English.dat"}, "English", {"English", "English"}, 1, false);
        row("note passed over", {"French.dat", "notes.txt", "zulu.dat"}, {},
            {"English", "French", "zulu"}, -1, false);
        row("chosen not listed, English", two, "Klingon", three, -1, true, 0);
        row("nothing selected", two, {}, three, -1, false, -1);
        row("past the list", two, {}, three, -1, false, 3);
        row("start fails", two, {}, three, -1, false, 1, true);
        row("Enter on the list", {"German.dat"}, {}, {"English", "German"}, -1, false, 1, false,
            true);
    }
    void languagesAreListedAndChosen()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, chosen);
        QFETCH(QStringList, names);
        QFETCH(int, selected);
        QFETCH(bool, translates);
        QFETCH(int, ok);
        QFETCH(bool, startFails);
        QFETCH(bool, enter);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("intl"));
        for (const QString &file : files)
            writeFile(dir.filePath("intl/" + file), "x\r\n");
        if (!chosen.isNull())
            writeFile(dir.filePath("lang.dat"), chosen.toUtf8() + "\r\n");
        FakeProcessStarter starter;
        starter.fails = startFails;
        FakeProgramEnd end;
        LanguageSelection selection(LanguageChoice(dir.path()), starter, end, programPath);
        QCOMPARE(selection.names(), names);
        QCOMPARE(selection.selected(), selected);
        QCOMPARE(selection.translates(), translates);
        const bool taken = ok >= 0 && ok < names.size();
        const QString stored = taken ? names[ok] : chosen;
        const bool restarted = taken && !startFails;
        if (enter) {
            LangSelect dialog(selection, Dictionary::builtIn());
            dialog.show();
            auto *list = dialog.findChild<QListWidget *>(QStringLiteral("List1"));
            list->setFocus();
            list->setCurrentRow(ok);
            QTest::keyClick(list, Qt::Key_Return);
        } else {
            QCOMPARE(selection.Command1_Click(ok), restarted);
        }
        QCOMPARE(LanguageChoice(dir.path()).read().value_or(QString()), stored);
        QCOMPARE(starter.started, taken ? QStringList {programPath} : QStringList());
        QCOMPARE(end.calls, restarted ? 1 : 0);
    }
    void shippedFilesAreComplete_data()
    {
        QTest::addColumn<QString>("path");
        const QDir folder(QStringLiteral(SOURCE_DIR "/resources/intl"));
        const QStringList files = folder.entryList({QStringLiteral("*.dat")}, QDir::Files);
        QVERIFY(!files.isEmpty());
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << folder.filePath(file);
        QTest::newRow("English") << QString();
    }
    void shippedFilesAreComplete()
    {
        QFETCH(QString, path);
        QFile file(path);
        const QStringList items = LanguageFile::readItems(
            file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
        // The lines that some window reads hold text; lines 43-53 and 56-67 are read by none.
        QList<int> wrong;
        for (int n = 0; n < CaptionTable::lineCount; ++n) {
            const bool read = n <= 42 || n == 54 || n == 55 || n >= 68;
            if (items.value(n).isEmpty() == read)
                wrong.append(n);
        }
        if (!path.isEmpty()) {
            QCOMPARE(wrong, QList<int>());
            QCOMPARE(items.size(), CaptionTable::lineCount); // no line split in two by a comma
            QVERIFY(items[76] != items[37]); // the sealed level is told from the enciphered one
        }
        // Alt and a letter reach one thing: in the window with its menu bar, and in each menu.
        const StartedWindow window({},
            path.isEmpty() ? Dictionary::builtIn() : Dictionary(QStringLiteral("Shipped"), items));
        // The language dialog: a title without the menu's access key, its frame's caption whole.
        writeFile(window.dir.filePath("lang.dat"), path.isEmpty() ? "English\r\n" : "Shipped\r\n");
        window.w->menuItem(QStringLiteral("mnuLang"))->trigger();
        const QWidget *dialog = StartedWindow::window(QStringLiteral("LangSelect"));
        QVERIFY(dialog && !dialog->windowTitle().contains(u'&'));
        const auto *frame = dialog->findChild<QGroupBox *>("Frame1");
        QVERIFY2(frame->minimumSizeHint().width() <= frame->width(), qPrintable(frame->title()));
        QList<QList<QAction *>> scopes {window.w->menuBar()->actions()};
        for (const QMenu *menu : window.w->findChildren<QMenu *>())
            scopes.append(menu->actions());
        const QString hide = window.find(QStringLiteral("Check1"))->property("text").toString();
        QStringList keys {QKeySequence::mnemonic(hide).toString()};
        for (const QList<QAction *> &actions : scopes) {
            for (const QAction *action : actions)
                keys.append(QKeySequence::mnemonic(action->text()).toString());
            keys.removeAll(QString());
            QVERIFY2(keys.removeDuplicates() == 0, qPrintable(keys.join(u' ')));
            keys.clear();
        }
    }
};

QTEST_MAIN(IntlTest)
#include "tst_intl.moc"
