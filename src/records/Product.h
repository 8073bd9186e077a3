#pragma once

#include <QString>

// The product's name, and the maker's web page that the About box and the toolbar open.
inline const QString productName = QStringLiteral("Vaultine");
inline const QString makerAddress = QStringLiteral("https://vaultine.example/");
