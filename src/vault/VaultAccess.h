#pragma once

#include <QString>

// The reach level ("0" none, "1" program and database, "2" program only, "3" program and
// database sealed) and the database key (the master password; at reach 3 the one typed at
// start-up), shared by the main window and the database files.
struct VaultAccess
{
    QString reach = QStringLiteral("0");
    QString databaseKey;

    bool enciphered() const { return reach.toInt() == 1; }
    bool sealed() const { return reach.toInt() == 3; }
};
