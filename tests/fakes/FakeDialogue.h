#pragma once

#include "intl/Message.h"
#include "security/VaultOpening.h"

#include <QStringList>

#include <algorithm>

// Answers the master password with the expected one, or with the first typed one (of three)
// that is right, or refuses; keeps what it was told.
struct FakeDialogue : VaultOpening::Dialogue
{
    bool answers = true;
    QStringList typed;
    QStringList told; // "title|text"
    QString accepted; // the typed password that passed

    bool askPassword(const PasswordCheck::Test &isPassword) override
    {
        if (!answers || typed.isEmpty())
            return answers;
        const QStringList tries = typed.first(qMin(typed.size(), 3));
        const auto right = std::ranges::find_if(tries, isPassword);
        accepted = right == tries.end() ? QString() : *right;
        return right != tries.end();
    }
    void passwordAccepted(const QString &) override { }
    void tell(const Message &message, const QString &) override
    {
        told.append(QString::fromLatin1(message.title) + u'|' + QString::fromLatin1(message.text));
    }
};
