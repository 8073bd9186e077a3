#pragma once

#include "LanguageSelection.h"

#include <QWidget>

class Dictionary;
class QListWidget;

// The language dialog: lists the languages, and on "Ok" stores the choice and starts the
// program again. "Cancel" and the close box only close it.
class LangSelect : public QWidget
{
    Q_OBJECT

public:
    LangSelect(
        LanguageSelection selection, const Dictionary &dictionary, QWidget *parent = nullptr);

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    LanguageSelection m_selection;
    QListWidget *m_list1; // the language names
};
