#include "Coffrel.h"

#include "ClickLabel.h"
#include "FieldEdit.h"
#include "Toolbar.h"
#include "Twips.h"
#include "platform/Clipboard.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProgramEnd.h"
#include "platform/Shell.h"
#include "platform/TopMostSwitch.h"
#include "vault/RecordLine.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QListView>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QToolButton>

#include <utility>

namespace {

const QString productName = QStringLiteral("Vaultine");
const QString makerAddress = QStringLiteral("https://vaultine.example/");

struct FieldRow
{
    const char *labelName;
    const char *caption;
    Twips field;
    Twips label;
};

constexpr FieldRow fieldRows[RecordLine::fieldCount] = {
    {"Label4", "Service", {1005, 690, 4110, 360}, {60, 825, 540, 195}},
    {"Label1", "Username", {1005, 1050, 2850, 360}, {60, 1170, 720, 195}},
    {"Label2", "Password", {1005, 1410, 2850, 360}, {60, 1545, 690, 195}},
    {"Label3", "Other Info", {1005, 1770, 4110, 360}, {60, 1905, 705, 195}},
    {"Label5", "Path", {1005, 2160, 4110, 360}, {60, 2280, 330, 195}},
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
struct CommandControls
{
    const char *menuItem;
    int icon;
};

constexpr CommandControls commandControls[]
    = {{"mnuAdd", 0}, {"mnuReplace", 1}, {"mnuRemove", 2}, {"mnuReset", 3}};

// The menu item that each toolbar button runs and whose caption is its tooltip; button 7
// ends the program at once and button 8 opens the maker's web page.
constexpr const char *toolbarItems[Toolbar::count] = {"mnuAdd", "mnuReplace", "mnuRemove",
    "mnuReset", "mnuSecurity", "mnuHelp", "mnuCapture", "mnuExit", nullptr};
constexpr int endButton = 7;
constexpr int webButton = 8;

struct Message
{
    RecordEditor::Result result;
    const char *title;
    const char *text;
    MessageBoxes::Icon icon;
};

constexpr Message messages[] = {
    {RecordEditor::Result::Duplicate, "Vaultine", "There is an identical record already filed",
        MessageBoxes::Icon::Information},
    {RecordEditor::Result::NoChange, "Vaultine", "There were no changes",
        MessageBoxes::Icon::Information},
    {RecordEditor::Result::SeparatorInField, "Vaultine",
        "A field can not hold \":!\", the mark that separates the fields of a record.",
        MessageBoxes::Icon::Information},
    {RecordEditor::Result::WriteFailed, "Disk Error - i66", "Can not access the DataBase.",
        MessageBoxes::Icon::Stop},
};

QString withoutFirstAmpersand(QString caption)
{
    const qsizetype at = caption.indexOf(u'&');
    return at < 0 ? caption : caption.remove(at, 1);
}

bool isEscapeKey(QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    return key->key() == Qt::Key_Escape && !key->isAutoRepeat();
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

} // namespace

Coffrel::Coffrel(Platform &platform, Database &database, QWidget *parent)
    : QMainWindow(parent)
    , m_platform(platform)
    , m_editor(m_records, database)
    , m_savedFields(RecordLine::fieldCount)
{
    setObjectName(QStringLiteral("Coffrel"));
    setWindowTitle(productName);
    buildMenus();
    buildWindow();
    connectCommands();
    for (const CommandControls &controls : commandControls) {
        m_toolbar->icon(controls.icon)
            ->setEnabled(menuItem(QString::fromLatin1(controls.menuItem))->isEnabled());
    }
}

Coffrel::~Coffrel() = default;

void Coffrel::buildMenus()
{
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
    }
    m_menuItems.value(QStringLiteral("mnuMenu"))->setVisible(false);
    m_menuItems.value(QStringLiteral("mnuCapture"))->setCheckable(true);
}

void Coffrel::buildWindow()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(Twips::pixels(5235), Twips::pixels(5625));
    client->setMouseTracking(true);
    setCentralWidget(client);

    m_toolbar = new Toolbar(client, [this](int index) { return toolbarTooltip(index); });
    connect(m_toolbar, &Toolbar::commandClicked, this, &Coffrel::Command1_Click);
    m_toolbar->icon(6)->setToolTip(QStringLiteral("Capture from other application"));

    auto *frame1 = new QFrame(client); // the rule under the toolbar
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::HLine);
    frame1->setFrameShadow(QFrame::Sunken);
    frame1->setGeometry(Twips {-15, 630, 5190, 30}.toPixels());
    frame1->setAttribute(Qt::WA_NoMousePropagation);

    buildFields(client);
    buildLists(client);
    client->installEventFilter(this);

    QWidget *previous = m_fields[RecordLine::Path];
    for (QWidget *next : {static_cast<QWidget *>(m_check1), static_cast<QWidget *>(m_list2),
             static_cast<QWidget *>(m_check2)}) {
        setTabOrder(previous, next);
        previous = next;
    }
    for (int i = 0; i < Toolbar::count; ++i) {
        setTabOrder(previous, m_toolbar->button(i));
        previous = m_toolbar->button(i);
    }
    setFixedSize(client->width(), client->height() + menuBar()->sizeHint().height());
}

void Coffrel::buildFields(QWidget *client)
{
    for (int i = 0; i < RecordLine::fieldCount; ++i) {
        const FieldRow &row = fieldRows[i];
        auto *label = new ClickLabel(QString::fromLatin1(row.caption), client);
        label->setObjectName(QString::fromLatin1(row.labelName));
        // A label takes the room its text needs, up to the field beside it.
        QRect area = row.label.toPixels();
        area.setWidth(qBound(
            area.width(), label->sizeHint().width(), row.field.toPixels().left() - area.left()));
        area.setHeight(qMax(area.height(), label->sizeHint().height()));
        label->setGeometry(area);
        label->setAttribute(Qt::WA_NoMousePropagation);
        m_labels[i] = label;

        auto *field = new FieldEdit(client);
        field->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        field->setAccessibleName(label->text());
        field->setFont(fieldFont());
        field->setGeometry(row.field.toPixels());
        connect(field, &QLineEdit::textChanged, this, &Coffrel::Text1_Change);
        connect(field, &FieldEdit::keyReleased, this,
            [this, i](int key, bool pressedHere) { Text1_KeyUp(i, key, pressedHere); });
        connect(field, &FieldEdit::entered, this, [this, i] { Text1_GotFocus(i); });
        connect(field, &FieldEdit::mouseMoved, this, [this, i] { Text1_MouseMove(i); });
        m_fields[i] = field;
        if (i > 0)
            setTabOrder(m_fields[i - 1], field);
    }
    for (const int i : copyFields)
        connect(m_labels[i], &ClickLabel::clicked, this, [this, i] { copyField(i); });
    connect(
        m_labels[RecordLine::Path], &ClickLabel::doubleClicked, this, &Coffrel::Label5_DblClick);

    // A masked password shows one "*" per character.
    m_fields[RecordLine::Password]->setStyleSheet(
        QStringLiteral("QLineEdit { lineedit-password-character: 42 }"));

    m_check1 = new QCheckBox(QStringLiteral("&Hide"), client);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setToolTip(QStringLiteral("Hide/Show Password"));
    m_check1->setGeometry(Twips {4005, 1470, 840, 255}.toPixels());
    connect(m_check1, &QCheckBox::toggled, this, &Coffrel::Check1_Click);

    m_check2 = new QCheckBox(QStringLiteral("On Top"), client);
    m_check2->setObjectName(QStringLiteral("Check2"));
    m_check2->setGeometry(Twips {4005, 1110, 1035, 285}.toPixels());
    connect(m_check2, &QCheckBox::toggled, this, &Coffrel::Check2_Click);
}

void Coffrel::buildLists(QWidget *client)
{
    m_list2 = new QListView(client);
    m_list2->setObjectName(QStringLiteral("List2"));
    m_list2->setAccessibleName(QStringLiteral("Services"));
    m_list2->setToolTip(productName);
    m_list2->setFont(fieldFont());
    m_list2->setGeometry(Twips {20, 2655, 5190, 2940}.toPixels());
    m_list2->setUniformItemSizes(true);
    m_list2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list2->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list2->setModel(&m_records);
    m_list2->installEventFilter(this);
    m_list2->viewport()->installEventFilter(this);
    m_list2->viewport()->setMouseTracking(true);
    connect(m_list2->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = m_list2->selectionModel()->selectedRows();
        if (!rows.isEmpty())
            List2_Click(rows.first());
    });
}

void Coffrel::connectCommands()
{
    const std::pair<const char *, void (Coffrel::*)()> handlers[] = {
        {"mnuAdd", &Coffrel::mnuAdd_Click},
        {"mnuReplace", &Coffrel::mnuReplace_Click},
        {"mnuRemove", &Coffrel::mnuRemove_Click},
        {"mnuExit", &Coffrel::mnuExit_Click},
    };
    for (const auto &[name, handler] : handlers)
        connect(menuItem(QString::fromLatin1(name)), &QAction::triggered, this, handler);
}

bool Coffrel::isCommandEnabled(Command command) const
{
    return menuItem(QString::fromLatin1(commandControls[int(command)].menuItem))->isEnabled();
}

void Coffrel::setCommandEnabled(Command command, bool enabled)
{
    const CommandControls &controls = commandControls[int(command)];
    menuItem(QString::fromLatin1(controls.menuItem))->setEnabled(enabled);
    m_toolbar->icon(controls.icon)->setEnabled(enabled);
}

void Coffrel::maskPassword()
{
    m_check1->setChecked(true);
}

void Coffrel::showRecords(const QStringList &lines)
{
    m_records.load(lines);
}

void Coffrel::offerImport(bool offered)
{
    menuItem(QStringLiteral("mnuImport"))->setEnabled(offered);
}

QStringList Coffrel::fieldTexts() const
{
    QStringList texts;
    for (const FieldEdit *field : m_fields)
        texts.append(field->text());
    return texts;
}

void Coffrel::emptyFields()
{
    for (FieldEdit *field : m_fields)
        field->clear();
}

void Coffrel::clearSelection()
{
    m_list2->selectionModel()->clearSelection();
    m_selectedIndex = -1;
}

bool Coffrel::runRecordCommand(const std::function<RecordEditor::Result()> &command)
{
    // While rows come and go the view moves its selection; that is not the user selecting.
    const QScopedValueRollback changing(m_changingRecords, true);
    const RecordEditor::Result result = command();
    for (const Message &message : messages) {
        if (message.result == result)
            m_platform.messages.showMessage(QString::fromLatin1(message.title),
                QString::fromLatin1(message.text), message.icon);
    }
    return result == RecordEditor::Result::Done;
}

QString Coffrel::toolbarTooltip(int index) const
{
    const char *item = toolbarItems[index];
    return item ? withoutFirstAmpersand(menuItem(QString::fromLatin1(item))->text()) : QString();
}

void Coffrel::endProgram()
{
    m_platform.programEnd.endProgram();
}

void Coffrel::AddRecord()
{
    m_savedFields.fill(QString());
    if (!runRecordCommand([this] { return m_editor.AddRecord(fieldTexts()); }))
        return;
    emptyFields();
    clearSelection();
}

void Coffrel::mnuAdd_Click()
{
    AddRecord();
    m_list2->viewport()->update();
}

void Coffrel::mnuReplace_Click()
{
    if (runRecordCommand([this] { return m_editor.replaceRecord(m_selectedIndex, fieldTexts()); }))
        clearSelection();
}

void Coffrel::mnuRemove_Click()
{
    m_savedFields = fieldTexts();
    if (!runRecordCommand([this] { return m_editor.removeRecord(m_selectedIndex); }))
        return;
    emptyFields();
    setCommandEnabled(Command::Remove, false);
    clearSelection();
}

void Coffrel::mnuExit_Click()
{
    endProgram();
}

void Coffrel::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    endProgram();
}

void Coffrel::Command1_Click(int index)
{
    // A button left raised over an icon that was disabled meanwhile runs nothing.
    if (!m_toolbar->icon(index)->isEnabled())
        return;
    if (index == endButton)
        endProgram();
    else if (index == webButton)
        m_platform.shell.open(makerAddress);
    else
        menuItem(QString::fromLatin1(toolbarItems[index]))->trigger();
}

void Coffrel::Text1_Change()
{
    const bool complete = !m_fields[RecordLine::Service]->text().isEmpty()
        && !m_fields[RecordLine::Username]->text().isEmpty()
        && !m_fields[RecordLine::Password]->text().isEmpty();
    setCommandEnabled(Command::Add, complete);
    setCommandEnabled(Command::Replace, complete);
}

void Coffrel::Text1_KeyUp(int index, int key, bool pressedHere)
{
    static constexpr std::pair<int, int> jumps[] = {
        {Qt::Key_S, RecordLine::Service},
        {Qt::Key_U, RecordLine::Username},
        {Qt::Key_P, RecordLine::Password},
        {Qt::Key_O, RecordLine::OtherInfo},
        {Qt::Key_R, RecordLine::Path},
    };
    if (key == Qt::Key_Control) {
        menuItem(QStringLiteral("mnuCapture"))->setChecked(true);
        return;
    }
    for (const auto &[letter, field] : jumps) {
        if (key == letter && m_altArmed) {
            m_fields[field]->setFocus();
            return;
        }
    }
    m_altArmed = key == Qt::Key_Alt;
    // Escape or Return that closed a message box is released here too: it must not act.
    if (!pressedHere)
        return;
    if (key == Qt::Key_Escape)
        endProgram();
    else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && index == RecordLine::OtherInfo
        && isCommandEnabled(Command::Add))
        AddRecord();
}

void Coffrel::Text1_GotFocus(int index)
{
    // Capture mode takes this field as its target here.
    FieldEdit *field = m_fields[index];
    field->end(false);
    if (index == RecordLine::Path && field->text().isEmpty()) {
        field->setText(QStringLiteral("http://"));
        field->setSelection(0, int(field->text().size()));
    }
}

void Coffrel::Text1_MouseMove(int index)
{
    m_toolbar->setHoverIndex(Toolbar::none);
    if (index != RecordLine::Password)
        m_fields[index]->setToolTip(m_fields[index]->text());
}

void Coffrel::List2_Click(const QModelIndex &current)
{
    if (m_changingRecords)
        return;
    m_selectedIndex = current.row();
    emptyFields();
}

void Coffrel::List2_MouseUp(Qt::MouseButton button)
{
    if (button == Qt::RightButton) {
        clearSelection();
        setCommandEnabled(Command::Remove, false);
        return;
    }
    setCommandEnabled(Command::Remove, true);
    setCommandEnabled(Command::Replace, true);
    const QModelIndexList rows = m_list2->selectionModel()->selectedRows();
    const QString line = rows.isEmpty() ? QString() : records().records().at(rows.first().row());
    const QStringList fields = RecordLine::splitFields(line);
    if (fields.isEmpty())
        return;
    for (int i = 0; i < fields.size(); ++i)
        m_fields[i]->setText(fields[i]);
    setCommandEnabled(Command::Reset, true);
}

void Coffrel::Check1_Click(bool checked)
{
    m_fields[RecordLine::Password]->setEchoMode(checked ? QLineEdit::Password : QLineEdit::Normal);
}

void Coffrel::Check2_Click(bool checked)
{
    m_platform.topMost.setTopMost(this, checked);
    m_list2->setFocus();
}

void Coffrel::copyField(int index)
{
    m_platform.clipboard.setText(m_fields[index]->text(), index == RecordLine::Password);
    for (const int i : copyFields)
        setTextColour(m_labels[i], i == index ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

void Coffrel::Label5_DblClick()
{
    m_platform.shell.open(m_fields[RecordLine::Path]->text());
}

void Coffrel::Form_Click()
{
    m_platform.clipboard.clear();
    for (const int i : copyFields)
        setTextColour(m_labels[i], QColor(0, 0, 0));
}

bool Coffrel::eventFilter(QObject *watched, QEvent *event)
{
    const bool onList = watched == m_list2->viewport();
    if (event->type() == QEvent::MouseMove && (onList || watched == centralWidget())) {
        m_toolbar->setHoverIndex(Toolbar::none);
    } else if (event->type() == QEvent::MouseButtonPress && onList) {
        // The right button deselects on release; it never selects.
        return static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
    } else if (event->type() == QEvent::MouseButtonRelease && onList) {
        List2_MouseUp(static_cast<QMouseEvent *>(event)->button());
    } else if (event->type() == QEvent::MouseButtonRelease && watched == centralWidget()
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Form_Click();
    } else if (watched == m_list2 && isEscapeKey(event)) {
        // Only an Escape pressed here too: not the one that closed a message box.
        if (event->type() == QEvent::KeyPress)
            m_escapePressedInList = true;
        else if (std::exchange(m_escapePressedInList, false))
            endProgram();
    }
    return QMainWindow::eventFilter(watched, event);
}
