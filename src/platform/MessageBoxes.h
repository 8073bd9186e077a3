#pragma once

#include <QString>

// Message boxes with a single acknowledging button.
class MessageBoxes
{
public:
    enum class Icon { None, Information, Stop };

    virtual ~MessageBoxes() = default;
    virtual void showMessage(const QString &title, const QString &text, Icon icon) = 0;
};
