#include "Coffrel.h"

#include "ClickLabel.h"
#include "CoffrelTables.h"
#include "FieldEdit.h"
#include "Product.h"
#include "Toolbar.h"
#include "intl/CaptionTable.h"
#include "intl/Captions.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QListView>

// What the main window shows of its RecordBrowser, and the events it forwards there.

using namespace CoffrelTables;

namespace {

// Red for the copied field's label; the theme's own colour for the others.
void markCopied(QWidget *label, bool copied)
{
    QPalette palette;
    if (copied)
        palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(palette);
}

} // namespace

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
        markCopied(m_labels[i], i == index);
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

void Coffrel::showRow(int row)
{
    const QModelIndex index = m_records.index(row);
    if (!index.isValid()) {
        clearListSelection();
        return;
    }
    m_list2->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_list2->scrollTo(index);
}

void Coffrel::maskPassword()
{
    m_check1->setChecked(true);
}

void Coffrel::showRecords(Database::Records records)
{
    m_records.setBook(std::move(records.book));
    m_browser.windowLock().levelChanged();
}

void Coffrel::offerImport(bool offered)
{
    menuItem(QStringLiteral("mnuImport"))->setEnabled(offered);
}

void Coffrel::offerMerge()
{
    QAction *merge = menuItem(QStringLiteral("mnuMerge"));
    const QStringList copies = m_database.conflictCopies();
    merge->setEnabled(!copies.isEmpty());
    if (!copies.isEmpty())
        m_platform.messages.showMessage(QStringLiteral("Vaultine"),
            QStringLiteral("Data holds copies that a sync tool left beside the records:\n%1\n\n"
                           "%2 > %3 merges them into the records (what this folder removed "
                           "stays removed) and sets them aside.")
                .arg(copies.join(u'\n'),
                    withoutAccessKey(menuItem(QStringLiteral("mnuConfig"))->text()),
                    withoutAccessKey(merge->text())),
            MessageBoxes::Icon::Information);
}

QString Coffrel::toolbarTooltip(int index) const
{
    const char *item = toolbarItems[index];
    return item ? withoutAccessKey(menuItem(QString::fromLatin1(item))->text())
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
    // A key that a shortcut takes (Ctrl+G) reaches the field only as this: it is pressed too.
    if (event->type() == QEvent::ShortcutOverride) {
        m_browser.keyPressed(control, event->key());
        return false;
    }
    if (event->type() == QEvent::KeyPress)
        return m_browser.keyPressed(control, event->key());
    m_browser.keyReleased(control, event->key());
    return false;
}

void Coffrel::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_browser.readAgainWhenChanged();
}

void Coffrel::recordsWrittenElsewhere()
{
    if (isVisible() && !QApplication::activeModalWidget() && !m_browser.windowLock().isLocked())
        m_browser.readAgainWhenChanged();
}

bool Coffrel::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease
        || type == QEvent::ShortcutOverride) {
        const auto *field = std::find(std::begin(m_fields), std::end(m_fields), watched);
        const int control = field != std::end(m_fields) ? int(field - std::begin(m_fields))
            : watched == m_list2                        ? RecordBrowser::serviceList
            : watched == m_search                       ? RecordBrowser::searchBox
                                                        : -1;
        if (control >= 0)
            return forwardKey(control, static_cast<QKeyEvent *>(event));
    }
    // Ctrl held with a click or the wheel is not a lone Ctrl.
    if (type == QEvent::MouseButtonPress || type == QEvent::Wheel)
        m_browser.pointerUsed();
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
    } else if (type == QEvent::FocusIn && watched == m_search) {
        m_browser.Search_GotFocus();
    }
    return QMainWindow::eventFilter(watched, event);
}
