#pragma once

#include "ProgramFolder.h"
#include "app/Startup.h"
#include "records/Coffrel.h"

#include <memory>

// The main window as start-up loads it, in the dictionary's language, on a program folder
// holding the records.
struct StartedWindow : ProgramFolder
{
    explicit StartedWindow(
        const QStringList &records = {}, Dictionary language = Dictionary::builtIn())
        : dictionary(std::move(language))
    {
        store(records);
        startup = std::make_unique<Startup>(dir.path(), fake.platform, dictionary);
        w = &startup->loadMainWindow();
    }
    template <typename T = QWidget> T *find(const QString &name) const
    {
        return w->findChild<T *>(name);
    }

    Dictionary dictionary;
    std::unique_ptr<Startup> startup;
    Coffrel *w = nullptr;
};
