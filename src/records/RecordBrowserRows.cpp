#include "RecordBrowser.h"

#include "ServiceListModel.h"

#include <QScopedValueRollback>

// The service list's rows and the search that chooses which of them are shown.

void RecordBrowser::Search_KeyUp(int key, bool pressedHere)
{
    if (!pressedHere)
        return;
    if (key == Qt::Key_Escape) {
        emit searchEmptied();
    } else if (key == Qt::Key_Down && m_records.rowCount() > 0) {
        if (m_records.rowOf(m_selectedIndex) < 0)
            chooseRow(0);
        emit focusRequested(serviceList);
    }
}

void RecordBrowser::List2_Click(qsizetype row)
{
    if (m_movingSelection)
        return;
    m_selectedIndex = m_records.recordAt(row);
    m_rowChosen = true;
    emptyFields();
    apply(CommandStates::Event::SelectionChanged);
}

void RecordBrowser::List2_MouseUp(Qt::MouseButton button)
{
    m_rowChosen = false;
    if (button == Qt::RightButton) {
        clearSelection();
        apply(CommandStates::Event::ListRightReleased);
        return;
    }
    apply(CommandStates::Event::ListReleased);
    const QStringList fields = RecordLine::splitFields(
        m_selectedIndex < 0 ? QString() : m_records.book().record(m_selectedIndex));
    for (int i = 0; i < fields.size(); ++i)
        setField(i, fields[i]);
}

void RecordBrowser::chooseRow(qsizetype row)
{
    List2_Click(row);
    List2_MouseUp(Qt::LeftButton);
    showSelectedRow();
}

void RecordBrowser::showSelectedRow()
{
    const QScopedValueRollback moving(m_movingSelection, true);
    emit rowShown(int(m_records.rowOf(m_selectedIndex)));
}

void RecordBrowser::Search_Change(const QString &text)
{
    {
        const QScopedValueRollback moving(m_movingSelection, true);
        m_records.setSearchText(text);
    }
    // The record in the fields stays selected, shown in the list when the search finds it.
    showSelectedRow();
}

void RecordBrowser::Search_GotFocus()
{
    m_records.prepareSearch();
}

void RecordBrowser::clearSelection()
{
    m_selectedIndex = -1;
    const QScopedValueRollback moving(m_movingSelection, true);
    emit selectionCleared();
}
