#pragma once

#include <QString>

// Random master passwords drawn from the system's secure random source.
namespace PasswordSuggestion {

constexpr int longest = 32767;

// Level 1: six characters of 1-9 and A-Z; level 2: eight of them; level 3: length characters
// of 1-9, A-Z and a-z (at most longest). The digit 0 is never drawn. Empty for another level.
QString suggest(int level, int length);

// What the password box shows: the password, then its lower-case copy in brackets.
QString boxText(const QString &password);

// The length box's value: its leading digits as a number, 0 when empty, at most longest.
int lengthOf(const QString &text);

} // namespace PasswordSuggestion
