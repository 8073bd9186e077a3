#pragma once

#include "security/PasswordGenerator.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// Shapes a password for the Password field: characters of the chosen kinds and length, or a
// passphrase of words; it shows one drawn, and "New" draws another.
class GeneratorDialog : public QDialog
{
    Q_OBJECT

public:
    explicit GeneratorDialog(QWidget *parent = nullptr);

    // Shows the dialog with a new password of the shape chosen last.
    void open() override;
    // The password shown, while the dialog is answered.
    QString password() const;
    // Closed, the dialog keeps no password.
    void done(int result) override;

private:
    // Takes the shape from the controls and draws a password of it.
    void draw();

    QRadioButton *m_characters;
    QSpinBox *m_length;
    QCheckBox *m_kinds[3]; // letters, digits, signs
    QRadioButton *m_passphrase;
    QSpinBox *m_words;
    QLineEdit *m_preview;
    QLabel *m_bits;
};
