#pragma once

#include "ProgramFolder.h"
#include "PromptAnswers.h"
#include "app/Startup.h"
#include "records/Coffrel.h"
#include "security/ConfigFile.h"

#include <QApplication>

#include <memory>

// The main window as start-up loads it, in the dictionary's language, on a program folder
// holding the records; with a master password, enciphered under it and the prompt answered.
struct StartedWindow : ProgramFolder
{
    explicit StartedWindow(const QStringList &records = {},
        Dictionary language = Dictionary::builtIn(), const QString &master = {})
        : dictionary(std::move(language))
    {
        const QString reach = master.isEmpty() ? QStringLiteral("0") : QStringLiteral("1");
        store(records, reach, master);
        if (!master.isEmpty()) {
            ConfigFile(dir.filePath(QStringLiteral("Data")))
                .write(ConfigFile::composeLine(
                    ConfigFile::noExpiry, master, fake.clock.today(), reach));
            answerPasswordPrompt({master});
        }
        startup = std::make_unique<Startup>(dir.path(), fake.platform, dictionary);
        w = &startup->loadMainWindow();
    }
    template <typename T = QWidget> T *find(const QString &name) const
    {
        return w->findChild<T *>(name);
    }
    // A visible top-level window of the program (a dialog the main window opened).
    template <typename T = QWidget> static T *window(const QString &name)
    {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->objectName() == name)
                return qobject_cast<T *>(top);
        }
        return nullptr;
    }

    Dictionary dictionary;
    std::unique_ptr<Startup> startup;
    Coffrel *w = nullptr;
};
