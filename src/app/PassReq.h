#pragma once

#include "security/PasswordCheck.h"

#include <QDialog>

class Dictionary;
class QLabel;
class QLineEdit;
struct Platform;

// The master password prompt: "Ok" or Enter in the entry tries the password. It says "Wrong
// password" below the entry after a wrong one, and tells when the password was right, or when
// the third wrong one ended the program. Every entry is wiped and the entry emptied once tried.
class PassReq : public QDialog
{
    Q_OBJECT

public:
    PassReq(PasswordCheck::Test isPassword, Platform &platform, const Dictionary &dictionary,
        QWidget *parent = nullptr);

signals:
    void accepted();
    void refused();

protected:
    // Only the password closes the prompt: not the close box, not Escape.
    void closeEvent(QCloseEvent *event) override;
    void reject() override { }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Command2_Click();

    PasswordCheck m_check;
    QLineEdit *m_text1; // the entry, shown as "*"
    QLabel *m_wrong; // "Wrong password" after a wrong try
    bool m_returnPressedHere = false;
};
