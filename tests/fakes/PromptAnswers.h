#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

// Answers the master password prompt, once it shows, with the entries in turn, as a user
// typing them and pressing "Ok" would. Without waiting, only a prompt shown when the events are
// next processed is answered.
inline void answerPasswordPrompt(const QStringList &entries, bool waiting = true)
{
    QTimer::singleShot(0, [entries, waiting] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() != QLatin1String("PassReq") || !window->isVisible())
                continue;
            for (const QString &entry : entries) {
                // Typed: the box's characters are its own (the prompt overwrites them).
                window->findChild<QLineEdit *>(QStringLiteral("Text1"))
                    ->setText(QString(entry.constData(), entry.size()));
                window->findChild<QPushButton *>(QStringLiteral("Command2"))->click();
            }
            return;
        }
        if (waiting)
            answerPasswordPrompt(entries);
    });
}
