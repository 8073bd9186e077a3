#pragma once

#include <QString>

// Message boxes with a single acknowledging button.
class MessageBoxes
{
public:
    enum class Icon { None, Information, Stop };

    virtual ~MessageBoxes() = default;
    void showMessage(const QString &title, const QString &text, Icon icon)
    {
        showMessage(title, text, icon, {});
    }
    // The detail, shown below the text, says what failed (a file and the system's reason).
    virtual void showMessage(
        const QString &title, const QString &text, Icon icon, const QString &detail)
        = 0;
};
