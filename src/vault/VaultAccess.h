#pragma once

#include <QString>

// The reach level ("0" none, "1" program and database, "2" program only) and the database
// key (the master password), shared by the main window and the database files.
struct VaultAccess
{
    QString reach = QStringLiteral("0");
    QString databaseKey;

    bool enciphered() const { return reach.toInt() == 1; }
};
