#include "LiteralText.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>

void LiteralText::install()
{
    if (qApp->findChild<LiteralText *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new LiteralText(qApp));
}

bool LiteralText::eventFilter(QObject *watched, QEvent *event)
{
    // A label is polished before it first lays out its text, the tooltip's label too.
    if (event->type() == QEvent::Polish) {
        auto *label = qobject_cast<QLabel *>(watched);
        if (label && label->textFormat() == Qt::AutoText && label->pixmap().isNull())
            label->setTextFormat(Qt::PlainText);
    }
    return false;
}
