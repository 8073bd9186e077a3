#pragma once

#include "LanguageChoice.h"

#include <QStringList>

class ProcessStarter;
class ProgramEnd;

// The rules of the language dialog: the languages of the "intl" folders (each once) and English,
// sorted without regard to letter case, the one chosen marked; "Ok" stores the choice and starts
// the program again.
class LanguageSelection
{
public:
    LanguageSelection(LanguageChoice choice, ProcessStarter &starter, ProgramEnd &end,
        const QString &programPath);

    const QStringList &names() const { return m_names; }
    // The row of the language chosen, or -1.
    int selected() const { return m_selected; }
    // Whether the dialog shows its captions in the chosen language.
    bool translates() const { return m_translates; }

    // "Ok" with the selected row (-1 for none). False when the dialog stays open: nothing
    // selected, the choice not stored or the program not started again.
    bool Command1_Click(int row);

private:
    LanguageChoice m_choice;
    ProcessStarter &m_starter;
    ProgramEnd &m_end;
    QString m_programPath;
    QStringList m_names;
    int m_selected = -1;
    bool m_translates = false;
};
