#pragma once

#include <QByteArray>
#include <QString>

// Passwords that are forgotten once used: their characters overwritten where they lie.
namespace Secret {

// Overwrites the whole allocation with zeros, in place, so every string that shares it (a text
// box's own text, a copy handed on) reads zeros too, then empties the text. Only for a secret
// that no one keeps: text read from read-only memory (a literal) is left as it is.
void wipe(QString &text);
void wipe(QByteArray &bytes);

// The same characters in an allocation of their own, out of reach of a wipe of the text they
// came from: for a password that is kept.
QString ownCopy(const QString &text);

} // namespace Secret
