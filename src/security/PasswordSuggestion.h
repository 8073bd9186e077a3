#pragma once

#include <QString>

// Random master passwords drawn from the system's secure random source.
namespace PasswordSuggestion {

constexpr int longest = 32767;

// Level 1: six characters of 1-9 and A-Z; level 2: eight of them; level 3: length characters
// of 1-9, A-Z and a-z (at most longest). The digit 0 is never drawn. Empty for another level.
// For a sealed file, which may be guessed at offline, levels 1 and 2 draw 14 and 16 characters
// of the level 3 set (about 83 and 95 bits) instead.
QString suggest(int level, int length, bool sealed = false);

// Fewer bits than this are guessed too soon by someone who holds a copy of the sealed file.
constexpr double sealedMinimumBits = 60;

// About how many bits of guessing the password takes, for a password that a person chose: per
// character the bits of the sets its characters are drawn from (digits, small letters,
// capitals, any other), with nothing for a character that goes on with the step of the two
// before it when that step is -1, 0 or 1 ("aaa", "abc", "321"). Words and dates are not known
// to it.
double estimatedBits(const QString &password);

// What the password box shows: the password, then its lower-case copy in brackets.
QString boxText(const QString &password);

// The length box's value: its leading digits as a number, 0 when empty, at most longest.
int lengthOf(const QString &text);

} // namespace PasswordSuggestion
