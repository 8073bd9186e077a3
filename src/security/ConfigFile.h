#pragma once

#include "vault/DataFolder.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct VaultAccess;

// The security settings kept from one run to the next: one line, enciphered under ConfigKey,
// in "Data/Coffrel.cnf". The line is the expiry date (ten characters), the master password,
// the date it was written (ten characters) and the reach digit, with no separators. At reach 3
// the password is never stored: the line holds the unset mark in its place.
class ConfigFile
{
public:
    static const QString noExpiry; // "xx-xx-xxxx"
    static const QString unsetMark; // the password of a line that sets none

    // What a stored line gives, as far as it could be read.
    struct Settings
    {
        QString reach; // the digit, "0" when the last character is none
        std::optional<QString> key; // none at reach 0 and for a line too short
        QString expiry;
    };

    explicit ConfigFile(const QString &dataFolder);

    // Ten ASCII characters, digits and "-", or the no-expiry mark: what reads back as written.
    static bool isDate(const QString &text);
    // The characters of a password that the line cannot hold, each once: a space (the line
    // holds none), a control character such as a line end or a tab (the password prompt could
    // not take it back), half of a surrogate pair (it has no UTF-8 form).
    static QList<char32_t> unheld(const QString &password);
    static QString composeLine(
        const QString &expiry, const QString &password, const QString &today, const QString &reach);
    static std::optional<Settings> parseLine(const QByteArray &plain);

    // The most the file may hold: a line of a long password.
    static constexpr qint64 sizeLimit = 64 * 1024;

    // The file, found whatever the letter case of its name.
    QString path() const;
    // The stored bytes as they are, and the same written back.
    DataFolder::Content content() const;
    bool restore(const QByteArray &content) const;
    // The file and the system's reason of the last failed step.
    QString failure() const { return m_folder.failure(); }
    // Enciphers the line and replaces the file with it; false when that failed. A line whose
    // dates are not ten ASCII characters each, or whose reach is not a digit, would not read
    // back as written: it is refused and nothing is written.
    bool write(const QString &line) const;
    // The settings of the stored line; none when the file is missing, unreadable or empty.
    std::optional<Settings> read() const;
    // Reads the settings and puts the reach level and the key (when read, below reach 3) in
    // force.
    std::optional<Settings> loadInto(VaultAccess &access) const;

private:
    QString name() const;

    DataFolder m_folder;
};
