#pragma once

#include <QString>

// The reach level ("0" none, "1" program and database, "2" program only, "3" program and
// database sealed) and the database key (the master password at reach 1 and 2; empty at reach
// 3, where the database keeps the key derived from it and no one keeps the password), shared
// by the main window and the database files.
struct VaultAccess
{
    QString reach = QStringLiteral("0");
    QString databaseKey;

    bool enciphered() const { return reach.toInt() == 1; }
    bool sealed() const { return reach.toInt() == 3; }
};
