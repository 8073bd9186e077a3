#pragma once

#include "LanguageSelection.h"

#include <QDialog>

class Dictionary;
class QListWidget;

// The language dialog: lists the languages, and on "Ok" stores the choice and starts the
// program again. "Cancel", Escape and the close box only close it (finished()).
class LangSelect : public QDialog
{
    Q_OBJECT

public:
    LangSelect(
        LanguageSelection selection, const Dictionary &dictionary, QWidget *parent = nullptr);

private:
    LanguageSelection m_selection;
    QListWidget *m_list1; // the language names
};
