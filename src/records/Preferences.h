#pragma once

#include "vault/DataFolder.h"

#include <QByteArray>
#include <QString>

// The window's own settings, kept in "Data/vaultine.conf" as "name=value" lines: how long a
// copied password stays on the clipboard and after how many idle minutes the window locks.
// A missing file, a missing line or a value out of range gives the default.
class Preferences
{
public:
    struct Values
    {
        int clipboardSeconds = 30; // 0: a copy stays
        int idleLockMinutes = 5; // 0: no idle lock
        bool operator==(const Values &) const = default;
    };
    static constexpr int maxClipboardSeconds = 3600;
    static constexpr int maxIdleLockMinutes = 1440;
    static inline const QString fileName = QStringLiteral("vaultine.conf");

    explicit Preferences(const QString &dataFolder);

    static Values parse(const QByteArray &content);
    static QByteArray compose(const Values &values);

    Values read() const;
    // Replaces the file; false when that failed (failure() says why).
    bool write(const Values &values) const;
    // The file and the system's reason of the last failed step.
    QString failure() const { return m_folder.failure(); }

private:
    DataFolder m_folder;
};
