#include "FieldEdit.h"

#include <QKeyEvent>
#include <QRegularExpression>

FieldEdit::FieldEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setMouseTracking(true);
    connect(this, &QLineEdit::textChanged, this, &FieldEdit::joinLines);
}

void FieldEdit::joinLines()
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    if (!text().contains(lineBreak))
        return;
    const int position = cursorPosition();
    setText(text().replace(lineBreak, QStringLiteral(" ")));
    setCursorPosition(position);
}

void FieldEdit::focusInEvent(QFocusEvent *event)
{
    m_pressedKeys.clear();
    QLineEdit::focusInEvent(event);
    emit entered();
}

void FieldEdit::keyPressEvent(QKeyEvent *event)
{
    m_pressedKeys.insert(event->key());
    QLineEdit::keyPressEvent(event);
}

void FieldEdit::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit keyReleased(event->key(), m_pressedKeys.remove(event->key()));
}

void FieldEdit::mouseMoveEvent(QMouseEvent *event)
{
    QLineEdit::mouseMoveEvent(event);
    emit mouseMoved();
}
