#pragma once

#include "MessageBoxes.h"

class QtMessageBoxes : public MessageBoxes
{
public:
    void showMessage(const QString &title, const QString &text, Icon icon) override;
};
