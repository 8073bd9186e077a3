#include "PassReq.h"

#include "intl/Captions.h"
#include "intl/Dictionary.h"
#include "platform/Platform.h"
#include "security/Secret.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PassReq::PassReq(PasswordCheck::Test isPassword, Platform &platform, const Dictionary &dictionary,
    QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_check(std::move(isPassword), platform.messages, platform.programEnd)
{
    setObjectName(QStringLiteral("PassReq"));
    setWindowTitle(QStringLiteral("Password Required"));
    auto *layout = new QGridLayout(this);
    auto *label1 = new QLabel(QStringLiteral("Password"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    label1->setBuddy(m_text1); // the entry's accessible name, in the language in use
    m_text1->setEchoMode(QLineEdit::Password);
    m_text1->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42 }"));
    m_text1->installEventFilter(this);
    auto *command2 = new QPushButton(QStringLiteral("Ok"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    command2->setAutoDefault(false);
    connect(command2, &QPushButton::clicked, this, &PassReq::Command2_Click);
    // Said after each wrong try but the last, which ends the program.
    m_wrong = new QLabel(this);
    m_wrong->setObjectName(QStringLiteral("wrongPassword"));
    m_wrong->setTextFormat(Qt::PlainText);
    m_wrong->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_wrong->setFocusPolicy(Qt::NoFocus); // a click on it leaves the entry ready
    layout->addWidget(label1, 0, 0);
    layout->addWidget(m_text1, 0, 1);
    layout->addWidget(command2, 0, 2);
    layout->addWidget(m_wrong, 1, 1);
    m_text1->setFocus();
    if (!dictionary.isEnglish())
        applyCaptions(this, CaptionTable::translated(CaptionTable::passwordPrompt, dictionary));
}

void PassReq::Command2_Click()
{
    // The entry shares the box's characters: once tried, they are overwritten in both.
    QString entry = m_text1->text();
    const PasswordCheck::Result result = m_check.Command2_Click(entry);
    Secret::wipe(entry);
    m_text1->clear();
    switch (result) {
    case PasswordCheck::Result::Accepted:
        hide();
        emit accepted();
        break;
    case PasswordCheck::Result::TryAgain:
        m_wrong->setText(QStringLiteral("Wrong password"));
        m_text1->setAccessibleDescription(m_wrong->text());
        break;
    case PasswordCheck::Result::Refused:
        hide();
        emit refused();
        break;
    }
}

void PassReq::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

bool PassReq::eventFilter(QObject *watched, QEvent *event)
{
    // Enter released in the entry tries once, and only when it was pressed there too.
    if (watched == m_text1
        && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && !key->isAutoRepeat()) {
            if (event->type() == QEvent::KeyPress)
                m_returnPressedHere = true;
            else if (std::exchange(m_returnPressedHere, false))
                Command2_Click();
        }
    }
    return QDialog::eventFilter(watched, event);
}
