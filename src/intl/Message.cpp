#include "Message.h"

#include "Dictionary.h"

void showMessage(MessageBoxes &messages, const Dictionary &dictionary, const Message &message,
    const QString &detail)
{
    const QString english = QString::fromLatin1(message.text);
    messages.showMessage(QString::fromLatin1(message.title),
        message.line < 0 ? english : dictionary.text(message.line, english), message.icon, detail);
}
