#pragma once

#include "intl/Message.h"
#include "security/VaultOpening.h"

#include <QStringList>

// Answers the master password with the expected one, or refuses; keeps what it was told.
struct FakeDialogue : VaultOpening::Dialogue
{
    bool answers = true;
    QStringList told; // "title|text"

    bool askPassword(const QString &) override { return answers; }
    void passwordAccepted(const QString &) override { }
    void tell(const Message &message) override
    {
        told.append(QString::fromLatin1(message.title) + u'|' + QString::fromLatin1(message.text));
    }
};
