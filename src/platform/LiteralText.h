#pragma once

#include <QObject>

// Makes every window of the program show its texts literally: records, language files, the
// configuration and file names hold text, never markup that would be laid out or load a file.
// Installed on the application, it turns every label left to guess its format (tooltips and
// message boxes included) into a plain-text label before it first measures or shows its text.
// A label that asks for rich text itself keeps it.
class LiteralText : public QObject
{
    Q_OBJECT

public:
    // Installs the rule on the running application, once.
    static void install();

protected:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
