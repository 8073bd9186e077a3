#include "FieldEdit.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QMouseEvent>

#include <limits>

FieldEdit::FieldEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setMouseTracking(true);
    // A field holds what the file holds: Qt's default would cut it at 32,767 characters.
    setMaxLength(std::numeric_limits<int>::max());
}

bool FieldEdit::event(QEvent *event)
{
    const bool handled = QLineEdit::event(event);
    // The line edit puts a selection made with the mouse or the keys there itself.
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (m_secret && hasSelectedText() && clipboard->ownsSelection()
        && clipboard->text(QClipboard::Selection) == selectedText())
        clipboard->clear(QClipboard::Selection);
    return handled;
}

void FieldEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    emit entered(event->reason());
    m_selectionToKeep.reset();
    if (event->reason() == Qt::MouseFocusReason && hasSelectedText())
        m_selectionToKeep = Selection {selectionStart(), selectionLength()};
}

void FieldEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (const std::optional<Selection> kept = std::exchange(m_selectionToKeep, std::nullopt))
        setSelection(kept->start, kept->length);
}

void FieldEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void FieldEdit::mouseMoveEvent(QMouseEvent *event)
{
    QLineEdit::mouseMoveEvent(event);
    emit mouseMoved();
}
