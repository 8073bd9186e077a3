#include "app/Splash.h"
#include "fakes/StartedWindow.h"
#include "platform/EventLoopProgramEnd.h"
#include "vault/Database.h"
#include "vault/RecordCodec.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <memory>

namespace {

const QStringList threeRecords {QStringLiteral("Alpha:!al:!pa1:!note:!http://a"),
    QStringLiteral("Bank:!bu:!bp:!:!"), QStringLiteral("Carrot:!cu:!cp:!c info:!http://c")};

// The main window started on a program folder that holds the records (three when not told).
struct Window : StartedWindow
{
    explicit Window(const QStringList &records = threeRecords, const QString &master = {})
        : StartedWindow(records, Dictionary::builtIn(), master)
    {
        w->activateWindow();
    }
    QLineEdit *field(int index) const
    {
        return find<QLineEdit>(QStringLiteral("Text1(%1)").arg(index));
    }
    QListView *list() const { return find<QListView>(QStringLiteral("List2")); }
    void clickRow(int row, Qt::MouseButton button = Qt::LeftButton) const
    {
        const QPoint at = list()->visualRect(list()->model()->index(row, 0)).center();
        QTest::mouseClick(list()->viewport(), button, {}, at);
    }
};

} // namespace

// The window shows what its RecordBrowser says and forwards its events there; the rules
// themselves are tested without a window.
class CoffrelTest : public QObject
{
    Q_OBJECT

private slots:
    // Added whole: no field is cut at 32,767 characters.
    void longFieldsAreKept()
    {
        Window win;
        const QString longText(100000, u'w');
        win.field(0)->setText(longText); // as pasted or captured
        QTest::keyClicks(win.field(1), QStringLiteral("u"));
        QTest::keyClicks(win.field(2), QStringLiteral("p"));
        QTest::keyClick(win.field(3), Qt::Key_Return);
        QCOMPARE(win.stored().last(), longText + QStringLiteral(":!u:!p:!:!"));
    }
    // Another program's write (vaultine-cli) is listed without the window being activated
    // again, the typed fields kept; not while a dialog of the window is open.
    void listsWhatAnotherProgramWrote()
    {
        Window win;
        QVERIFY(QTest::qWaitForWindowActive(win.w));
        win.field(3)->setText(QStringLiteral("typed"));
        VaultAccess access {QStringLiteral("0"), {}};
        Database other(win.dir.path(), access);
        const auto append = [&other](const char *service) {
            return other.AppendRecord(QString::fromLatin1(service) + QStringLiteral(":!u:!p:!:!"));
        };
        {
            QDialog dialog(win.w);
            dialog.open();
            QVERIFY(append("Dialog"));
            QTest::qWait(1000);
            QCOMPARE(win.w->records().count(), 3);
        }
        QVERIFY(append("Elsewhere"));
        QTRY_COMPARE_WITH_TIMEOUT(win.w->records().count(), 5, 2000);
        QCOMPARE(win.field(3)->text(), QStringLiteral("typed"));
    }
    // Conflict copies in Data are named, and merged from the Configure menu.
    void conflictCopiesAreOffered()
    {
        Window win;
        QAction *merge = win.w->menuItem(QStringLiteral("mnuMerge"));
        QVERIFY(!merge->isEnabled());
        QFile copy(win.dir.filePath(QStringLiteral("Data/CF2DB_conflict-2.pdb")));
        QVERIFY(copy.open(QIODevice::WriteOnly));
        copy.write(EncodeRecord("New:!n:!p:!:!") + "\r\n");
        copy.close();
        win.w->offerMerge();
        QVERIFY(merge->isEnabled());
        QVERIFY(described(win.fake.messages)
                    .contains("CF2DB_conflict-2.pdb\n\nConfigure > Merge copies merges them"));
        merge->trigger();
        QCOMPARE(win.w->records().count(), 4);
        QVERIFY(!merge->isEnabled());
    }
    void labelsAndBoxesAreWired()
    {
        Window win;
        QVERIFY(QTest::qWaitForWindowExposed(win.w));
        win.clickRow(0);
        QCOMPARE(win.field(2)->displayText(), QStringLiteral("***"));
        // The end-to-end run clicks with other buttons and double-clicks Path.
        auto *password = win.find<QLabel>(QStringLiteral("Label2"));
        QTest::mouseClick(password, Qt::LeftButton);
        QCOMPARE(win.fake.clipboard.content, QStringLiteral("pa1"));
        QCOMPARE(password->palette().color(QPalette::WindowText), QColor(255, 0, 0));

        QWidget *client = win.find(QStringLiteral("client"));
        const QPoint background(40, 20); // between the first two toolbar icons
        QCOMPARE(client->childAt(background), nullptr);
        QTest::mouseClick(client, Qt::LeftButton, {}, background);
        QCOMPARE(win.fake.clipboard.content, QString());
        QCOMPARE(password->palette().color(QPalette::WindowText), QColor(0, 0, 0));

        QTest::mouseClick(win.find(QStringLiteral("Check1")), Qt::LeftButton);
        QCOMPARE(win.field(2)->displayText(), QStringLiteral("pa1"));

        QTest::keyClick(win.field(2), Qt::Key_Control);
        QVERIFY(win.w->menuItem(QStringLiteral("mnuCapture"))->isChecked());

        // A field's tooltip shows its text as text.
        win.field(1)->setText(QStringLiteral("<b>user</b> name"));
        QTest::mouseMove(win.field(1));
        QHelpEvent hover(QEvent::ToolTip, {5, 5}, win.field(1)->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(win.field(1), &hover);
        auto *tip = win.field(1)->findChild<QLabel *>(QStringLiteral("qtooltip_label"));
        QVERIFY(tip && tip->isVisible() && tip->text() == win.field(1)->text());
        QCOMPARE(tip->textFormat(), Qt::PlainText);
    }
    void toolbarRaisesOneButton()
    {
        Window win;
        QVERIFY(QTest::qWaitForWindowExposed(win.w));
        const auto icon = [&win](int i) { return win.find(QStringLiteral("Image1(%1)").arg(i)); };
        const auto button
            = [&win](int i) { return win.find(QStringLiteral("Command1(%1)").arg(i)); };

        QTest::mouseMove(icon(3));
        QVERIFY(button(3)->isVisible());
        QTest::mouseMove(icon(4));
        QVERIFY(button(4)->isVisible());
        QTRY_VERIFY(!button(3)->isVisible());

        // Add is disabled while the fields are empty, and its icon raises nothing.
        QTest::mouseMove(icon(0));
        QVERIFY(!button(0)->isVisible());
        // The last picture ends clear of the window's edge.
        const auto *last = static_cast<QToolButton *>(icon(7));
        const QImage exit = last->icon().pixmap(last->iconSize()).toImage();
        int right = 0;
        for (int x = 0; x < exit.width(); ++x) {
            for (int y = 0; y < exit.height(); ++y)
                right = qAlpha(exit.pixel(x, y)) > 0 ? x : right;
        }
        const int left = last->x() + (last->width() - exit.width()) / 2; // drawn in the middle
        QVERIFY(left + right + 4 < win.find(QStringLiteral("client"))->width());
    }
    // Tab reaches the enabled toolbar icons from left to right, each a button named after its
    // command that rises while it has the keys, and Space runs it.
    void toolbarIsReachedWithTheKeys()
    {
        Window win;
        QVERIFY(QTest::qWaitForWindowActive(win.w));
        QCOMPARE(QApplication::focusWidget(), win.field(0));
        win.field(0)->setText(QStringLiteral("typed"));
        win.find(QStringLiteral("Check2"))->setFocus();
        QStringList reached;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            const QAccessibleInterface *named = QAccessible::queryAccessibleInterface(focus);
            reached << focus->objectName() + u' ' + named->text(QAccessible::Name);
            const QString raised = focus->objectName().replace("Image1", "Command1");
            QVERIFY(i == 6 || win.find(raised)->isVisible());
            QCOMPARE(named->role(), i < 6 ? QAccessible::PushButton : QAccessible::EditableText);
        }
        QCOMPARE(reached,
            QStringList({"Image1(3) Reset", "Image1(8) Vaultine on the web", "Image1(4) Security",
                "Image1(5) Contents", "Image1(6) Capture", "Image1(7) Exit", "Text1(0) Service"}));
        const char *disabled[] = {"Add", "Replace", "Remove"};
        for (int i = 0; i < 3; ++i) {
            const QAccessibleInterface *named = QAccessible::queryAccessibleInterface(
                win.find(QStringLiteral("Image1(%1)").arg(i)));
            QCOMPARE(named->text(QAccessible::Name), disabled[i]);
            QCOMPARE(named->role(), QAccessible::PushButton);
        }
        QTest::keyClick(win.find(QStringLiteral("Image1(3)")), Qt::Key_Space);
        QCOMPARE(win.field(0)->text(), QString());
    }
    // In the security settings Enter in a box presses no button; on a button it presses it.
    void enterInTheSecuritySettings()
    {
        Window win;
        win.w->openSecuritySettings();
        QWidget *config = Window::window(QStringLiteral("Config"));
        QVERIFY(config);
        QTest::keyClick(config->findChild<QLineEdit *>(QStringLiteral("Text1")), Qt::Key_Return);
        QVERIFY(config->isVisible());
        auto *accept = config->findChild<QWidget *>(QStringLiteral("Command2"));
        accept->setFocus();
        QTest::keyClick(accept, Qt::Key_Return);
        QVERIFY(!config->isVisible());
    }
    void listTakesTheRoomOfALargerWindow()
    {
        Window win;
        QVERIFY(QTest::qWaitForWindowExposed(win.w));
        QWidget *client = win.find(QStringLiteral("client"));
        QCOMPARE(client->minimumSize(), QSize(349, 375));
        const QRect list = win.list()->geometry();
        const QRect field = win.field(4)->geometry();
        QWidget *rule = win.find(QStringLiteral("Frame1")); // under the toolbar
        const QRect ruleBefore = rule->geometry();
        win.w->resize(win.w->size() + QSize(100, 200));
        QTRY_COMPARE(win.list()->geometry(), list.adjusted(0, 0, 100, 200));
        QCOMPARE(win.field(4)->geometry(), field);
        QCOMPARE(rule->geometry(), ruleBefore.adjusted(0, 0, 100, 0));
    }
    void deselectedRowDoesNotLookSelected()
    {
        Window win;
        QVERIFY(QTest::qWaitForWindowActive(win.w));
        const QRect row = win.list()->visualRect(win.list()->model()->index(1, 0));
        win.list()->setFocus();
        const QImage untouched = win.list()->viewport()->grab(row).toImage();
        win.clickRow(1);
        QVERIFY(win.list()->viewport()->grab(row).toImage() != untouched);
        win.clickRow(1, Qt::RightButton);
        QCOMPARE(win.list()->viewport()->grab(row).toImage(), untouched);
    }
    void programEndEndsTheEventLoop()
    {
        EventLoopProgramEnd end;
        // Ended before the main loop runs (during start-up), and from inside a nested loop.
        end.endProgram();
        QCOMPARE(QApplication::exec(), 0);
        QTimer::singleShot(0, [&end] {
            QEventLoop nested;
            QTimer::singleShot(0, [&end] { end.endProgram(); });
            nested.exec();
        });
        QCOMPARE(QApplication::exec(), 0);
        // The later exit that an end queues ends this loop, not one of a later test.
        QCOMPARE(QApplication::exec(), 0);
    }
    // In a dark theme every text stands out from what is behind it, also a label no longer red.
    void readableInADarkTheme()
    {
        const QPalette light = QApplication::palette();
        QPalette dark;
        for (const auto &[role, grey] :
            {std::pair {QPalette::Window, 40}, {QPalette::Base, 25}, {QPalette::Button, 50},
                {QPalette::WindowText, 220}, {QPalette::Text, 230}, {QPalette::ButtonText, 220}})
            dark.setColor(role, QColor(grey, grey, grey));
        QApplication::setPalette(dark);
        Window win;
        win.w->show();
        win.clickRow(0);
        for (const char *label : {"Label2", "Label1"})
            QTest::mouseClick(win.find(QString::fromLatin1(label)), Qt::LeftButton);
        win.w->openSecuritySettings();
        QWidget *config = Window::window(QStringLiteral("Config")); // the length box open
        config->findChild<QAbstractButton *>("Check1")->click(); // suggest
        config->findChild<QAbstractButton *>("Option3")->click();
        Splash about(
            Dictionary::builtIn(), win.fake.shell, [] {}, Splash::Role::About);
        about.show();
        const auto luminance = [](const QColor &c) { // the relative luminance, plus 0.05
            const auto linear = [](double v) { return std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF())
                + 0.0722 * linear(c.blueF()) + 0.05;
        };
        for (QWidget *window : QApplication::topLevelWidgets()) {
            for (const QWidget *control : window->findChildren<QWidget *>()) {
                // A control with a style sheet has the colours of its own.
                if (!control->isVisible() || control->objectName().startsWith("qt_")
                    || !control->styleSheet().isEmpty()
                    || !((qobject_cast<const QLabel *>(control) // a picture has no text
                             && !static_cast<const QLabel *>(control)->text().isEmpty())
                        || qobject_cast<const QAbstractButton *>(control)
                        || qobject_cast<const QLineEdit *>(control)))
                    continue;
                const bool box = qobject_cast<const QLineEdit *>(control);
                const double text = luminance(
                    control->palette().color(box ? QPalette::Text : control->foregroundRole()));
                const double behind = luminance(box ? control->palette().color(QPalette::Base)
                                                    : window->palette().window().color());
                QVERIFY2(qMax(text, behind) / qMin(text, behind) >= 3,
                    qPrintable(control->objectName()));
            }
        }
        QApplication::setPalette(light);
    }
    // Locked, no widget and nothing on the accessibility bus holds a text of the record shown,
    // and a record typed but not yet added comes back with the master password.
    void lockedWindowShowsNoRecord()
    {
        Window win({QStringLiteral("SvcSecret:!UserSecret:!PwSecret:!InfoSecret:!PathSecret")},
            QStringLiteral("key"));
        QVERIFY(QTest::qWaitForWindowExposed(win.w));
        win.clickRow(0);
        QCOMPARE(win.field(3)->text(), QStringLiteral("InfoSecret"));
        win.find<QCheckBox>(QStringLiteral("Check1"))->setChecked(false);
        for (int i = 0; i < RecordLine::fieldCount; ++i) // their tooltips
            QTest::mouseMove(win.field(i));
        win.w->menuItem(QStringLiteral("mnuGenerate"))->trigger(); // a password taken from it
        win.w->findChild<QDialog *>(QStringLiteral("GeneratorDialog"))->accept();
        const QString generated = win.field(2)->text();
        win.w->menuItem(QStringLiteral("mnuLock"))->trigger();
        QStringList texts;
        std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
            for (const QAccessible::Text t :
                {QAccessible::Name, QAccessible::Description, QAccessible::Value})
                texts.append(node->text(t));
            for (int i = 0; i < node->childCount(); ++i)
                walk(node->child(i));
        };
        walk(QAccessible::queryAccessibleInterface(win.w));
        for (const QWidget *widget : QApplication::allWidgets()) {
            texts << widget->toolTip() << widget->accessibleName()
                  << widget->accessibleDescription() << widget->windowTitle() << widget->statusTip()
                  << widget->whatsThis();
            if (auto *box = qobject_cast<const QLineEdit *>(widget))
                texts << box->text();
            for (const QAction *action : widget->actions())
                texts << action->text() << action->toolTip();
        }
        QCOMPARE(texts.filter(QStringLiteral("Secret")) + texts.filter(generated), QStringList());
    }
    void aboutAndHelp()
    {
        Window win;
        QTest::mouseClick(win.find(QStringLiteral("Check2")), Qt::LeftButton);
        win.w->menuItem(QStringLiteral("mnuAbout"))->trigger();
        QCOMPARE(win.fake.topMost.calls, QList<bool>({true, false}));
        Splash *about = Window::window<Splash>(QStringLiteral("Splash"));
        QVERIFY(about && !about->isTimerActive());
        for (const QLabel *label : about->findChildren<QLabel *>()) // what it is on this system
            QVERIFY(!label->text().contains(QStringLiteral("Windows")));
        QTest::mouseClick(about->findChild<QLabel *>(QStringLiteral("Label4")), Qt::LeftButton);
        QVERIFY(about->isVisible());
        QTest::mouseClick(about->findChild<QLabel *>(QStringLiteral("Label5")), Qt::LeftButton);
        QVERIFY(!about->isVisible());
        QVERIFY(win.w->isVisible());

        win.w->menuItem(QStringLiteral("mnuHelp"))->trigger();
        const QString page = win.dir.filePath(QStringLiteral("Help/help.html"));
        QDir(win.dir.path()).mkdir(QStringLiteral("Help"));
        QFile(page).open(QIODevice::WriteOnly);
        win.w->menuItem(QStringLiteral("mnuHelp"))->trigger();
        QCOMPARE(win.fake.shell.opened, QStringList({"https://vaultine.example/", page}));
        // A desktop with no program for the page says so.
        win.fake.shell.opens = false;
        win.w->menuItem(QStringLiteral("mnuHelp"))->trigger();
        QCOMPARE(described(win.fake.messages),
            "Vaultine|There is no program to show the help page with.|information");
        QCOMPARE(win.fake.messages.shown.last().detail, page);
    }
};

QTEST_MAIN(CoffrelTest)
#include "tst_coffrel.moc"
