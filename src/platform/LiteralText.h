#pragma once

#include <QObject>

class QLabel;

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

    // Cuts a label's text that is wider than the width with an ellipsis; its whole text is
    // then the label's tooltip.
    static void elide(QLabel *label, int width);

protected:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
