#include "LanguageSelection.h"

#include "Dictionary.h"
#include "platform/ProcessStarter.h"
#include "platform/ProgramEnd.h"

#include <QCollator>
#include <QDir>

#include <algorithm>

LanguageSelection::LanguageSelection(
    LanguageChoice choice, ProcessStarter &starter, ProgramEnd &end, const QString &programPath)
    : m_choice(std::move(choice))
    , m_starter(starter)
    , m_end(end)
    , m_programPath(programPath)
{
    m_names.append(Dictionary::english);
    // A file without ".dat" in its name (a note, a backup) is no language.
    // A language of an earlier folder hides its file in a later one.
    for (const QString &folder : m_choice.intlFolders()) {
        const QStringList earlier = m_names.mid(1);
        const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
        for (const QString &file : files) {
            const qsizetype end = file.indexOf(QLatin1String(".dat"));
            if (end >= 0 && !earlier.contains(file.left(end)))
                m_names.append(file.left(end));
        }
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(m_names.begin(), m_names.end(), collator);

    const std::optional<QString> chosen = m_choice.read();
    if (!chosen)
        return;
    m_selected = int(m_names.lastIndexOf(*chosen));
    m_translates = *chosen != Dictionary::english;
}

bool LanguageSelection::Command1_Click(int row)
{
    if (row < 0 || row >= m_names.size())
        return false;
    if (!m_choice.write(m_names[row]) || !m_starter.startProgram(m_programPath))
        return false;
    m_end.endProgram();
    return true;
}
