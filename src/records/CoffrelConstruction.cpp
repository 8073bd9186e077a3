#include "Coffrel.h"

#include "ClickLabel.h"
#include "CoffrelTables.h"
#include "FieldEdit.h"
#include "MainWindowLayout.h"
#include "Product.h"
#include "Toolbar.h"
#include "platform/Platform.h"
#include "platform/TopMostSwitch.h"
#include "security/Config.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QListView>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QToolButton>

// The main window's construction: its menus, toolbar, fields, list and their places.

using namespace CoffrelTables;

namespace {

QFont fieldFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    return font;
}

// Alt released alone leaves the focus where it is (it arms the field jumps); Alt+letter
// still opens the menus.
class NoAltNavigationStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
        QStyleHintReturn *returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// A row that is not selected shows no focus frame either: it must not look half-selected.
class SelectionFrameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_Selected))
            option->state &= ~QStyle::State_HasFocus;
    }
};

} // namespace

Coffrel::Coffrel(Platform &platform, Database &database, const ProgramFolders &folders,
    const Dictionary &dictionary, QWidget *parent)
    : QMainWindow(parent)
    , m_platform(platform)
    , m_database(database)
    , m_folders(folders)
    , m_dictionary(dictionary)
    , m_browser(m_records, database, platform, dictionary)
    , m_configFile(database.dataFolder())
    , m_preferences(database.dataFolder())
    , m_securityChange(database, database.access(), m_configFile)
    , m_securityForm(m_securityChange, platform.clock, platform.messages, dictionary)
    , m_databaseWatch(database.dataFolder(),
          {Database::fileName(Database::Source::Coded),
              Database::fileName(Database::Source::Enciphered),
              Database::fileName(Database::Source::Sealed)})
{
    for (const MainWindowLayout::Place &place : MainWindowLayout::places)
        m_places.insert(QString::fromLatin1(place.name), place.twips);
    setObjectName(QStringLiteral("Coffrel"));
    setWindowTitle(productName);
    buildMenus();
    buildWindow();
    connectBrowser();
    showCommands();
    m_browser.applyPreferences(m_preferences.read());
    QCoreApplication::instance()->installEventFilter(&m_browser.windowLock());
    connect(&m_databaseWatch, &FileChangeWatch::changed, this, &Coffrel::recordsWrittenElsewhere);
}

Coffrel::~Coffrel() = default;

void Coffrel::registerControl(QObject *control)
{
    m_controls.insert(control->objectName(), control);
}

void Coffrel::buildMenus()
{
    auto *altStyle = new NoAltNavigationStyle;
    altStyle->setParent(menuBar());
    menuBar()->setStyle(altStyle);

    QHash<QString, QMenu *> menus;
    for (const MenuRow &row : menuRows) {
        const QString name = QString::fromLatin1(row.name);
        QMenu *parentMenu = row.parent ? menus.value(QString::fromLatin1(row.parent)) : nullptr;
        QAction *action = nullptr;
        if (row.kind == MenuKind::Menu) {
            auto *menu = new QMenu(QString::fromLatin1(row.caption), this);
            menu->setObjectName(name);
            menus.insert(name, menu);
            action = parentMenu ? parentMenu->addMenu(menu) : menuBar()->addMenu(menu);
        } else if (row.kind == MenuKind::Separator) {
            action = parentMenu->addSeparator();
        } else {
            action = new QAction(QString::fromLatin1(row.caption), this);
            if (parentMenu)
                parentMenu->addAction(action);
            else
                menuBar()->addAction(action);
        }
        action->setObjectName(name);
        action->setEnabled(row.enabled);
        m_menuItems.insert(name, action);
        registerControl(action);
    }
    m_menuItems.value(QStringLiteral("mnuMenu"))->setVisible(false);
    m_menuItems.value(QStringLiteral("mnuCapture"))->setCheckable(true);

    connect(menuItem(QStringLiteral("mnuAdd")), &QAction::triggered, &m_browser,
        &RecordBrowser::AddRecord);
    connect(menuItem(QStringLiteral("mnuReplace")), &QAction::triggered, &m_browser,
        &RecordBrowser::mnuReplace_Click);
    connect(menuItem(QStringLiteral("mnuRemove")), &QAction::triggered, &m_browser,
        &RecordBrowser::mnuRemove_Click);
    connect(menuItem(QStringLiteral("mnuExit")), &QAction::triggered, &m_browser,
        &RecordBrowser::endProgram);
    connect(menuItem(QStringLiteral("mnuSecurity")), &QAction::triggered, this,
        &Coffrel::openSecuritySettings);
    connect(
        menuItem(QStringLiteral("mnuLang")), &QAction::triggered, this, &Coffrel::mnuLang_Click);
    connect(
        menuItem(QStringLiteral("mnuAbout")), &QAction::triggered, this, &Coffrel::mnuAbout_Click);
    connect(
        menuItem(QStringLiteral("mnuHelp")), &QAction::triggered, this, &Coffrel::mnuHelp_Click);
    connect(menuItem(QStringLiteral("mnuImport")), &QAction::triggered, &m_browser,
        &RecordBrowser::mnuImport_Click);
    connect(menuItem(QStringLiteral("mnuMerge")), &QAction::triggered, this, [this] {
        m_browser.mergeConflictCopies();
        menuItem(QStringLiteral("mnuMerge"))->setEnabled(!m_database.conflictCopies().isEmpty());
    });
    connect(menuItem(QStringLiteral("mnuReset")), &QAction::triggered, &m_browser,
        &RecordBrowser::mnuReset_Click);
    QAction *capture = menuItem(QStringLiteral("mnuCapture"));
    connect(capture, &QAction::triggered, this, [this, capture] {
        m_browser.mnuCapture_Click();
        capture->setChecked(m_browser.isCaptureMarked());
    });
    connect(menuItem(QStringLiteral("GrandOops(0)")), &QAction::triggered, &m_browser,
        [this] { m_browser.GrandOops_Click(0); });
    QAction *lock = menuItem(QStringLiteral("mnuLock"));
    lock->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(lock, &QAction::triggered, &m_browser.windowLock(), &WindowLock::lock);
    connect(menuItem(QStringLiteral("mnuPreferences")), &QAction::triggered, this,
        &Coffrel::mnuPreferences_Click);
    QAction *generate = menuItem(QStringLiteral("mnuGenerate"));
    generate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(generate, &QAction::triggered, this, &Coffrel::openGenerator);
}

void Coffrel::buildWindow()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setMinimumSize(MainWindowLayout::clientSize);
    client->setMouseTracking(true);
    setCentralWidget(client);
    resize(MainWindowLayout::clientSize + QSize(0, menuBar()->sizeHint().height()));

    m_toolbar = new Toolbar(client, [this](int index) { return toolbarTooltip(index); });
    connect(m_toolbar, &Toolbar::iconHovered, &m_browser, &RecordBrowser::Image1_MouseMove);
    connect(m_toolbar, &Toolbar::commandClicked, this, &Coffrel::Command1_Click);
    m_toolbar->icon(6)->setToolTip(QStringLiteral("Capture from other application"));
    for (int i = 0; i < Toolbar::count; ++i) {
        registerControl(m_toolbar->icon(i));
        registerControl(m_toolbar->button(i));
    }

    auto *frame1 = new QFrame(client); // the rule under the toolbar
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::HLine);
    frame1->setFrameShadow(QFrame::Sunken);
    frame1->setAttribute(Qt::WA_NoMousePropagation);
    registerControl(frame1);

    buildFields(client);
    buildSearch(client);
    buildList(client);
    setTabOrder();
    // The window opens with the keys in Service, not on the first toolbar icon.
    m_fields[RecordLine::Service]->setFocus();
    placeControls();
    for (QObject *watched : {static_cast<QObject *>(client), static_cast<QObject *>(m_check2),
             static_cast<QObject *>(m_list2), static_cast<QObject *>(m_list2->viewport()),
             static_cast<QObject *>(m_search)})
        watched->installEventFilter(this);
    for (FieldEdit *field : m_fields)
        field->installEventFilter(this);
}

void Coffrel::buildFields(QWidget *client)
{
    for (int i = 0; i < RecordLine::fieldCount; ++i) {
        auto *label = new ClickLabel(QString::fromLatin1(labelRows[i].second), client);
        label->setObjectName(QString::fromLatin1(labelRows[i].first));
        label->setAttribute(Qt::WA_NoMousePropagation);
        m_labels[i] = label;
        registerControl(label);

        auto *field = new FieldEdit(client);
        field->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        field->setAccessibleName(label->text());
        field->setFont(fieldFont());
        connect(field, &QLineEdit::textChanged, this,
            [this, i](const QString &text) { m_browser.Text1_Change(i, text); });
        connect(field, &FieldEdit::entered, this,
            [this, i](Qt::FocusReason reason) { m_browser.Text1_GotFocus(i, reason); });
        connect(field, &FieldEdit::clicked, this, [this, i] { m_browser.Text1_Click(i); });
        connect(field, &FieldEdit::mouseMoved, this,
            [this, i] { m_fields[i]->setToolTip(m_browser.Text1_MouseMove(i)); });
        m_fields[i] = field;
        registerControl(field);
    }
    for (const int i : copyFields)
        connect(m_labels[i], &ClickLabel::clicked, this, [this, i] { m_browser.copyField(i); });
    connect(m_labels[RecordLine::Path], &ClickLabel::doubleClicked, &m_browser,
        &RecordBrowser::Label5_DblClick);

    // A masked password shows one "*" per character.
    m_fields[RecordLine::Password]->setStyleSheet(
        QStringLiteral("QLineEdit { lineedit-password-character: 42 }"));
    // A button in the Password field's right end opens the generator, as the menu item does.
    auto *generate = new QAction(
        QIcon(QStringLiteral(":/icons/generate.png")), QStringLiteral("Generate password"), this);
    m_fields[RecordLine::Password]->addAction(generate, QLineEdit::TrailingPosition);
    connect(generate, &QAction::triggered, this, &Coffrel::openGenerator);
    for (auto *button : m_fields[RecordLine::Password]->findChildren<QToolButton *>()) {
        button->setObjectName(QStringLiteral("generatePassword"));
        button->setAccessibleName(generate->text());
        registerControl(button);
    }
    m_fields[RecordLine::Password]->setSecret(true);

    m_check1 = new QCheckBox(QStringLiteral("Hi&de"), client);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setToolTip(QStringLiteral("Hide/Show Password"));
    connect(m_check1, &QCheckBox::toggled, &m_browser, &RecordBrowser::Check1_Click);
    registerControl(m_check1);

    m_check2 = new QCheckBox(QStringLiteral("On Top"), client);
    m_check2->setObjectName(QStringLiteral("Check2"));
    m_check2->setMouseTracking(true);
    connect(m_check2, &QCheckBox::toggled, this, [this](bool checked) {
        m_platform.topMost.setTopMost(this, checked);
        m_list2->setFocus();
    });
    registerControl(m_check2);
}

void Coffrel::buildList(QWidget *client)
{
    m_list2 = new QListView(client);
    m_list2->setObjectName(QStringLiteral("List2"));
    m_list2->setAccessibleName(QStringLiteral("Services"));
    m_list2->setToolTip(productName);
    m_list2->setFont(fieldFont());
    m_list2->setUniformItemSizes(true);
    m_list2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list2->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list2->setItemDelegate(new SelectionFrameDelegate(m_list2));
    m_list2->setModel(&m_records);
    m_list2->viewport()->setMouseTracking(true);
    connect(m_list2->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = m_list2->selectionModel()->selectedRows();
        m_browser.List2_Click(rows.isEmpty() ? -1 : rows.first().row());
    });
    registerControl(m_list2);
}

void Coffrel::buildSearch(QWidget *client)
{
    m_search = new QLineEdit(client);
    m_search->setObjectName(QStringLiteral("Search"));
    m_search->setAccessibleName(QStringLiteral("Search"));
    m_search->setPlaceholderText(QStringLiteral("Search (Ctrl+F)"));
    m_search->setFont(fieldFont());
    connect(m_search, &QLineEdit::textChanged, &m_browser, &RecordBrowser::Search_Change);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    registerControl(m_search);
}

void Coffrel::setTabOrder()
{
    QList<QWidget *> order(std::begin(m_fields), std::end(m_fields));
    order << m_check1 << m_search << m_list2 << m_check2;
    for (const int i : Toolbar::leftToRight)
        order << m_toolbar->icon(i);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void Coffrel::placeControls()
{
    const QSize client = centralWidget()->size().expandedTo(MainWindowLayout::clientSize);
    for (MainWindowLayout::Place place : MainWindowLayout::places) {
        place.twips = m_places.value(QString::fromLatin1(place.name));
        auto *widget = static_cast<QWidget *>(control(QString::fromLatin1(place.name)));
        widget->setGeometry(MainWindowLayout::placeOf(place, client));
    }
    // A label takes the room its text needs, up to the field beside it.
    for (int i = 0; i < RecordLine::fieldCount; ++i) {
        ClickLabel *label = m_labels[i];
        QRect area = label->geometry();
        area.setWidth(
            qMin(qMax(area.width(), label->sizeHint().width()), m_fields[i]->x() - area.left()));
        area.setHeight(qMax(area.height(), label->sizeHint().height()));
        label->setGeometry(area);
    }
}

void Coffrel::connectBrowser()
{
    connect(&m_browser, &RecordBrowser::fieldTextChanged, this, &Coffrel::showField);
    connect(&m_browser, &RecordBrowser::fieldCursorChanged, this, &Coffrel::showCursor);
    connect(&m_browser, &RecordBrowser::focusRequested, this, [this](int index) {
        if (index == RecordBrowser::serviceList)
            m_list2->setFocus();
        else
            m_fields[index]->setFocus();
    });
    connect(&m_browser, &RecordBrowser::commandsChanged, this, &Coffrel::showCommands);
    connect(&m_browser, &RecordBrowser::selectionCleared, this, &Coffrel::clearListSelection);
    connect(&m_browser, &RecordBrowser::rowShown, this, &Coffrel::showRow);
    connect(&m_browser, &RecordBrowser::searchEmptied, m_search, &QLineEdit::clear);
    connect(&m_browser, &RecordBrowser::hoverIndexChanged, m_toolbar, &Toolbar::setHoverIndex);
    connect(&m_browser, &RecordBrowser::copiedFieldChanged, this, &Coffrel::showCopiedField);
    connect(&m_browser, &RecordBrowser::passwordMaskChanged, this, &Coffrel::showPasswordMask);
    connect(&m_browser, &RecordBrowser::captureMarkChanged, menuItem(QStringLiteral("mnuCapture")),
        &QAction::setChecked);
    connect(&m_browser.windowLock(), &WindowLock::stateChanged, this, &Coffrel::showLock);
}
