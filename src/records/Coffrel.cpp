#include "Coffrel.h"

#include "ClickLabel.h"
#include "FieldEdit.h"
#include "MainWindowLayout.h"
#include "Toolbar.h"
#include "app/Product.h"
#include "app/Splash.h"
#include "intl/Captions.h"
#include "intl/LangSelect.h"
#include "platform/LiteralText.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "platform/TopMostSwitch.h"
#include "security/Config.h"
#include "vault/Database.h"
#include "vault/VaultAccess.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QListView>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QToolButton>

namespace {

// The label of each field: its name and caption.
constexpr std::pair<const char *, const char *> labelRows[RecordLine::fieldCount] = {
    {"Label4", "Service"},
    {"Label1", "Username"},
    {"Label2", "Password"},
    {"Label3", "Other Info"},
    {"Label5", "Path"},
};

// The fields whose label copies them to the clipboard.
constexpr int copyFields[] = {RecordLine::Username, RecordLine::Password, RecordLine::Path};

enum class MenuKind { Menu, Item, Separator };

struct MenuRow
{
    MenuKind kind;
    const char *name;
    const char *caption;
    const char *parent; // nullptr: on the menu bar itself
    bool enabled;
};

constexpr MenuRow menuRows[] = {
    {MenuKind::Menu, "mnuMenu", "Menu", nullptr, true},
    {MenuKind::Menu, "mnuConfig", "&Configure", nullptr, true},
    {MenuKind::Item, "mnuSecurity", "&Security", "mnuConfig", true},
    {MenuKind::Item, "mnuCapture", "&Capture", "mnuConfig", true},
    {MenuKind::Separator, "sep", "", "mnuConfig", true},
    {MenuKind::Item, "mnuImport", "&Import", "mnuConfig", false},
    {MenuKind::Separator, "sep2", "", "mnuConfig", true},
    {MenuKind::Item, "mnuLang", "&Language", "mnuConfig", true},
    {MenuKind::Separator, "sep3", "", "mnuConfig", true},
    {MenuKind::Item, "mnuExit", "E&xit", "mnuConfig", true},
    {MenuKind::Item, "mnuAdd", "&Add", nullptr, false},
    {MenuKind::Item, "mnuReplace", "R&eplace", nullptr, false},
    {MenuKind::Item, "mnuRemove", "Remo&ve", nullptr, false},
    {MenuKind::Item, "mnuReset", "&Reset", nullptr, true},
    {MenuKind::Menu, "THelpmnu", "&Help", nullptr, true},
    {MenuKind::Menu, "mnuUndo", "Oops!", "THelpmnu", true},
    {MenuKind::Item, "GrandOops(0)", "Oops!!!", "mnuUndo", true},
    {MenuKind::Separator, "sep22", "", "THelpmnu", true},
    {MenuKind::Item, "mnuHelp", "&Contents", "THelpmnu", true},
    {MenuKind::Item, "mnuAbout", "A&bout", "THelpmnu", true},
};

// The menu item and the toolbar icon of each record command.
constexpr std::pair<const char *, int> commandControls[CommandStates::commandCount]
    = {{"mnuAdd", 0}, {"mnuReplace", 1}, {"mnuRemove", 2}, {"mnuReset", 3}};

// The menu item that each toolbar button runs and whose caption is its tooltip; button 7
// ends the program at once and button 8 opens the maker's web page.
constexpr const char *toolbarItems[Toolbar::count] = {"mnuAdd", "mnuReplace", "mnuRemove",
    "mnuReset", "mnuSecurity", "mnuHelp", "mnuCapture", "mnuExit", nullptr};
constexpr int endButton = 7;
constexpr int webButton = 8;

QString withoutFirstAmpersand(QString caption)
{
    const qsizetype at = caption.indexOf(u'&');
    return at < 0 ? caption : caption.remove(at, 1);
}

QFont fieldFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    return font;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
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
    , m_securityChange(database, database.access(), m_configFile)
    , m_securityForm(m_securityChange, platform.clock, platform.messages, dictionary)
{
    for (const MainWindowLayout::Place &place : MainWindowLayout::places)
        m_places.insert(QString::fromLatin1(place.name), place.twips);
    setObjectName(QStringLiteral("Coffrel"));
    setWindowTitle(productName);
    buildMenus();
    buildWindow();
    connectBrowser();
    showCommands();
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
    connect(menuItem(QStringLiteral("mnuReset")), &QAction::triggered, &m_browser,
        &RecordBrowser::mnuReset_Click);
    QAction *capture = menuItem(QStringLiteral("mnuCapture"));
    connect(capture, &QAction::triggered, this, [this, capture] {
        m_browser.mnuCapture_Click();
        capture->setChecked(m_browser.isCaptureMarked());
    });
    connect(menuItem(QStringLiteral("GrandOops(0)")), &QAction::triggered, &m_browser,
        [this] { m_browser.GrandOops_Click(0); });
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
    buildList(client);
    setTabOrder();
    placeControls();
    for (QObject *watched : {static_cast<QObject *>(client), static_cast<QObject *>(m_check2),
             static_cast<QObject *>(m_list2), static_cast<QObject *>(m_list2->viewport())})
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

    m_check1 = new QCheckBox(QStringLiteral("&Hide"), client);
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

void Coffrel::setTabOrder()
{
    QList<QWidget *> order(std::begin(m_fields), std::end(m_fields));
    order << m_check1 << m_list2 << m_check2;
    for (int i = 0; i < Toolbar::count; ++i)
        order << m_toolbar->button(i);
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
    connect(&m_browser, &RecordBrowser::focusRequested, this,
        [this](int index) { m_fields[index]->setFocus(); });
    connect(&m_browser, &RecordBrowser::commandsChanged, this, &Coffrel::showCommands);
    connect(&m_browser, &RecordBrowser::selectionCleared, this, &Coffrel::clearListSelection);
    connect(&m_browser, &RecordBrowser::hoverIndexChanged, m_toolbar, &Toolbar::setHoverIndex);
    connect(&m_browser, &RecordBrowser::copiedFieldChanged, this, &Coffrel::showCopiedField);
    connect(&m_browser, &RecordBrowser::passwordMaskChanged, this, &Coffrel::showPasswordMask);
    connect(&m_browser, &RecordBrowser::captureMarkChanged, menuItem(QStringLiteral("mnuCapture")),
        &QAction::setChecked);
}

void Coffrel::showCommands()
{
    for (int command = 0; command < CommandStates::commandCount; ++command) {
        const auto &[item, icon] = commandControls[command];
        const bool enabled = m_browser.isEnabled(CommandStates::Command(command));
        menuItem(QString::fromLatin1(item))->setEnabled(enabled);
        m_toolbar->icon(icon)->setEnabled(enabled);
    }
}

void Coffrel::showField(int index, const QString &text)
{
    FieldEdit *field = m_fields[index];
    if (field->text() == text)
        return;
    // A field being typed in keeps its caret where it was.
    const int caret = field->cursorPosition();
    field->setText(text);
    if (field->hasFocus())
        field->setCursorPosition(caret);
}

void Coffrel::showCursor(int index, int start, int length)
{
    if (length == 0)
        m_fields[index]->setCursorPosition(start);
    else
        m_fields[index]->setSelection(start, length);
}

void Coffrel::showCopiedField(int index)
{
    for (const int i : copyFields)
        setTextColour(m_labels[i], i == index ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

void Coffrel::showPasswordMask(bool masked)
{
    m_check1->setChecked(masked);
    m_fields[RecordLine::Password]->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

void Coffrel::clearListSelection()
{
    m_list2->selectionModel()->clearSelection();
}

void Coffrel::maskPassword()
{
    m_check1->setChecked(true);
}

void Coffrel::showRecords(Database::Records records)
{
    if (records.sorted)
        m_records.setBook(std::move(*records.sorted));
    else
        m_records.load(records.lines);
}

void Coffrel::offerImport(bool offered)
{
    menuItem(QStringLiteral("mnuImport"))->setEnabled(offered);
}

void Coffrel::RelabelMainWindow()
{
    applyCaptions(CaptionTable::translated(CaptionTable::mainWindow, m_dictionary),
        [this](const QString &name) { return control(name); });
    // Each label takes the width of its caption; the fields stand right of the widest.
    // A caption takes at most half the screen, so that the fields stay on it.
    std::array<double, RecordLine::fieldCount> labelRights;
    for (int i = 0; i < RecordLine::fieldCount; ++i) {
        m_fields[i]->setAccessibleName(m_labels[i]->text().remove(u'&'));
        LiteralText::elide(m_labels[i], screen()->availableGeometry().width() / 2);
        m_labels[i]->resize(m_labels[i]->sizeHint().width(), m_labels[i]->height());
        labelRights[i] = (m_labels[i]->x() + m_labels[i]->width()) * 15.0;
    }
    const std::array<Twips, RecordLine::fieldCount> fields
        = MainWindowLayout::correctedFields(labelRights);
    int right = 0;
    for (int i = 0; i < RecordLine::fieldCount; ++i) {
        m_places[m_fields[i]->objectName()] = fields[i];
        right = qMax(right, fields[i].left + fields[i].width);
    }
    // The boxes beside Username and Password stand right of those fields and are as wide as
    // their captions, and the window is wide enough for the fields, the boxes and the menus.
    const Twips &password = fields[RecordLine::Password];
    for (QCheckBox *box : {m_check1, m_check2}) {
        Twips &place = m_places[box->objectName()];
        place.left = qMax(place.left, password.left + password.width + 90);
        place.width = qMax(place.width, box->sizeHint().width() * 15);
        right = qMax(right, place.left + place.width);
    }
    const int width = qMax(Twips::pixels(right + 90), menuBar()->sizeHint().width());
    centralWidget()->setMinimumWidth(qMax(MainWindowLayout::clientSize.width(), width));
    placeControls();
}

void Coffrel::mnuAbout_Click()
{
    // A window kept on top would hide the About box.
    m_check2->setChecked(false);
    auto *about = new Splash(
        m_dictionary, m_platform.shell, [] {}, Splash::Role::About);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->centreOn(screen());
    about->show();
}

void Coffrel::mnuHelp_Click()
{
    const QString page = m_folders.shippedFile(QStringLiteral("Help/help.html"));
    if (QFileInfo::exists(page))
        m_platform.shell.open(page);
}

void Coffrel::mnuLang_Click()
{
    auto *dialog
        = new LangSelect(LanguageSelection(LanguageChoice(m_folders), m_platform.processStarter,
                             m_platform.programEnd, QCoreApplication::applicationFilePath()),
            m_dictionary);
    connect(dialog, &LangSelect::closed, this, &QWidget::show);
    dialog->show();
    hide();
}

void Coffrel::BuildUndoMenu()
{
    auto *undo = findChild<QMenu *>(QStringLiteral("mnuUndo"));
    for (int k = 1; k <= RecordLine::fieldCount; ++k) {
        auto *item = undo->addAction(m_labels[k - 1]->text());
        item->setObjectName(QStringLiteral("GrandOops(%1)").arg(k));
        connect(item, &QAction::triggered, &m_browser, [this, k] { m_browser.GrandOops_Click(k); });
        m_menuItems.insert(item->objectName(), item);
        registerControl(item);
    }
    menuItem(QStringLiteral("GrandOops(0)"))->setText(QStringLiteral("Oops !"));
}

void Coffrel::openSecuritySettings()
{
    if (!m_config)
        m_config = std::make_unique<Config>(m_securityForm, m_dictionary);
    const VaultAccess &access = m_database.access();
    m_config->open(access.reach, access.databaseKey);
}

QString Coffrel::toolbarTooltip(int index) const
{
    const char *item = toolbarItems[index];
    return item ? withoutFirstAmpersand(menuItem(QString::fromLatin1(item))->text())
                : m_dictionary.line(CaptionTable::webButtonTooltip);
}

void Coffrel::Command1_Click(int index)
{
    // A button left raised over an icon that was disabled meanwhile runs nothing.
    if (!m_toolbar->icon(index)->isEnabled())
        return;
    if (index == endButton)
        m_browser.endProgram();
    else if (index == webButton)
        m_platform.shell.open(makerAddress);
    else
        menuItem(QString::fromLatin1(toolbarItems[index]))->trigger();
}

void Coffrel::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    m_browser.endProgram();
}

bool Coffrel::forwardKey(int control, QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return false;
    if (event->type() == QEvent::KeyPress)
        return m_browser.keyPressed(control, event->key());
    m_browser.keyReleased(control, event->key());
    return false;
}

bool Coffrel::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto *field = std::find(std::begin(m_fields), std::end(m_fields), watched);
        const int control = field != std::end(m_fields) ? int(field - std::begin(m_fields))
            : watched == m_list2                        ? RecordBrowser::serviceList
                                                        : -1;
        if (control >= 0)
            return forwardKey(control, static_cast<QKeyEvent *>(event));
    }
    const bool onList = watched == m_list2->viewport();
    const bool onClient = watched == centralWidget();
    if (type == QEvent::MouseMove && (onList || onClient || watched == m_check2)) {
        m_browser.leaveToolbar();
    } else if (type == QEvent::MouseButtonPress && onList) {
        // The right button deselects on release; it never selects.
        return static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
    } else if (type == QEvent::MouseButtonRelease && onList) {
        m_browser.List2_MouseUp(static_cast<QMouseEvent *>(event)->button());
    } else if (type == QEvent::MouseButtonRelease && onClient
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        m_browser.Form_Click();
    } else if (type == QEvent::Resize && onClient) {
        placeControls();
    }
    return QMainWindow::eventFilter(watched, event);
}
