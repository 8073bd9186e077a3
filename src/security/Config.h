#pragma once

#include "SecurityForm.h"

#include <QDialog>

class Dictionary;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// The security settings dialog: shown without blocking, it shows its SecurityForm and
// forwards its events there.
class Config : public QDialog
{
    Q_OBJECT

public:
    Config(SecurityForm &form, const Dictionary &dictionary, QWidget *parent = nullptr);

    // Shows the dialog with the stored reach level and the key in the password box, selected.
    void open(const QString &reach, const QString &key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Enter on a button presses it.
    void keyPressEvent(QKeyEvent *event) override;
    // Closed, by Accept or otherwise: the password typed is forgotten.
    void hideEvent(QHideEvent *event) override;

private:
    void build();
    // The master password in force, asked in a box of its own; none when cancelled.
    std::optional<QString> askPasswordInForce();
    void render();
    // Runs a rule of the form and shows the result; a caret, when given, goes into the box.
    void run(QLineEdit *box, std::optional<int> caret = std::nullopt);

    SecurityForm &m_form;
    QLineEdit *m_text1; // the password box, masked
    QToolButton *m_show; // shows the password box's text while it is down
    QLabel *m_label2; // the length of a suggested password
    QCheckBox *m_check1; // "Sugest Password"
    QRadioButton *m_levels[3]; // Option1..3
    QLineEdit *m_text3; // the length box
    QPushButton *m_command1; // "Go"
    QCheckBox *m_check2; // "Do Not Expire"
    QLineEdit *m_text2; // the date box
    QRadioButton *m_reaches[4]; // by level: Option5 "None", Option4, Option6, Option7
    QString m_label2Caption; // as built or translated, until the password box changes
    bool m_rendering = false;
};
