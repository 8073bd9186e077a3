#pragma once

#include "MessageBoxes.h"

class QtMessageBoxes : public MessageBoxes
{
public:
    using MessageBoxes::showMessage;
    void showMessage(
        const QString &title, const QString &text, Icon icon, const QString &detail) override;
};
