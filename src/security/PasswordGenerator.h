#pragma once

#include <QString>
#include <QStringList>

// Passwords for a record, drawn from the system's secure random source: characters of the
// chosen kinds with at least one of each, or a passphrase of words from the word list shipped
// with the program, joined with "-".
namespace PasswordGenerator {

enum Kind { Letters = 1, Digits = 2, Signs = 4 };

constexpr int shortest = 8;
constexpr int longest = 128;
constexpr int fewestWords = 4;
constexpr int mostWords = 20;

struct Shape
{
    bool passphrase = false;
    int length = 20; // characters, shortest to longest
    int kinds = Letters | Digits | Signs;
    int words = 6; // fewestWords to mostWords
};

// The characters of one kind. Signs are the printable ASCII ones but ":", which with "!"
// separates the fields of a record.
QString characters(Kind kind);
// The shipped list: 7,776 distinct words of 3 to 8 small letters.
const QStringList &wordList();

// Empty when no kind is chosen, or the random source cannot be used.
QString generate(const Shape &shape);
// How many bits of guessing the shape gives someone who knows it.
double entropyBits(const Shape &shape);

} // namespace PasswordGenerator
