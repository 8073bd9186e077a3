#include "Config.h"

#include "intl/Captions.h"
#include "intl/Dictionary.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QToolButton>

namespace {

template <typename T> T *named(T *control, const char *name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QGroupBox *frame(const char *name, const char *caption, QWidget *parent)
{
    return named(new QGroupBox(QString::fromLatin1(caption), parent), name);
}

// Text set by the program puts the caret at the start, so that the date box's month is
// selected when the box is entered.
void setText(QLineEdit *box, const QString &text)
{
    if (box->text() == text)
        return;
    box->setText(text);
    box->setCursorPosition(0);
}

} // namespace

Config::Config(SecurityForm &form, const Dictionary &dictionary, QWidget *parent)
    : QDialog(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("Config"));
    setWindowTitle(QStringLiteral("Security Settings - Vaultine"));
    build();
    // Enter in a box presses no button.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    if (!dictionary.isEnglish()) {
        applyCaptions(this, CaptionTable::translated(CaptionTable::securitySettings, dictionary));
        // A language file written before the sealed level leaves its caption in English.
        if (const QString caption = dictionary.line(CaptionTable::sealedReachCaption);
            !caption.isEmpty())
            applyCaptions(
                this, {{QStringLiteral("Option7"), CaptionTable::Property::Caption, caption}});
    }
    m_label2Caption = m_label2->text();
    m_form.setPasswordQuestion([this] { return askPasswordInForce(); });
    render();
}

std::optional<QString> Config::askPasswordInForce()
{
    QDialog prompt(this);
    prompt.setWindowTitle(QStringLiteral("Password Required"));
    auto *layout = new QVBoxLayout(&prompt);
    auto *label = new QLabel(
        QStringLiteral("The current master password, to change the settings:"), &prompt);
    auto *box = new QLineEdit(&prompt);
    box->setEchoMode(QLineEdit::Password);
    label->setBuddy(box);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &prompt);
    connect(buttons, &QDialogButtonBox::accepted, &prompt, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &prompt, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(box);
    layout->addWidget(buttons);
    // The text shares the box's characters: the form wipes them once it used them.
    return prompt.exec() == QDialog::Accepted ? std::optional(box->text()) : std::nullopt;
}

void Config::build()
{
    auto *layout = new QGridLayout(this);
    auto *label1 = named(new QLabel(QStringLiteral("Password"), this), "Label1");
    layout->addWidget(label1, 0, 0);
    m_text1 = named(new QLineEdit(this), "Text1");
    label1->setBuddy(m_text1); // the box's accessible name, in the language in use
    m_text1->setEchoMode(QLineEdit::Password);
    m_text1->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42 }"));
    layout->addWidget(m_text1, 0, 1);
    m_show = named(new QToolButton(this), "showPassword");
    m_show->setText(QStringLiteral("Show"));
    m_show->setToolTip(QStringLiteral("Show password"));
    m_show->setAccessibleName(m_show->toolTip());
    m_show->setCheckable(true);
    connect(m_show, &QToolButton::toggled, m_text1, [this](bool shown) {
        m_text1->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    layout->addWidget(m_show, 0, 2, Qt::AlignLeft);
    m_label2 = named(new QLabel(QStringLiteral("Length: 0"), this), "Label2");
    layout->addWidget(m_label2, 1, 1);

    QGroupBox *frame2 = frame("Frame2", "{ Sugest }", this);
    m_check1 = named(new QCheckBox(QStringLiteral("Sugest Password"), frame2), "Check1");
    (new QVBoxLayout(frame2))->addWidget(m_check1);
    layout->addWidget(frame2, 2, 0, 1, 3);

    QGroupBox *frame1 = frame("Frame1", "Security ", this);
    auto *levels = new QGridLayout(frame1);
    for (int i = 0; i < 3; ++i) {
        m_levels[i] = named(new QRadioButton(QStringLiteral("Level %1").arg(i + 1), frame1),
            QStringLiteral("Option%1").arg(i + 1).toLatin1().constData());
        m_levels[i]->setAutoExclusive(false);
        levels->addWidget(m_levels[i], i, 0);
        connect(m_levels[i], &QRadioButton::clicked, this, [this, i] {
            m_form.selectLevel(i + 1);
            render();
        });
    }
    m_text3 = named(new QLineEdit(frame1), "Text3");
    auto *label3 = named(new QLabel(QStringLiteral("Characters"), frame1), "Label3");
    label3->setBuddy(m_text3);
    levels->addWidget(m_text3, 2, 1);
    levels->addWidget(label3, 2, 2);
    m_command1 = named(new QPushButton(QStringLiteral("Go"), frame1), "Command1");
    levels->addWidget(m_command1, 0, 2);
    layout->addWidget(frame1, 3, 0, 1, 3);

    QGroupBox *frame3 = frame("Frame3", "{ Expiration }", this);
    auto *expiration = new QHBoxLayout(frame3);
    m_check2 = named(new QCheckBox(QStringLiteral("Do Not Expire"), frame3), "Check2");
    m_text2 = named(new QLineEdit(frame3), "Text2");
    m_text2->setAccessibleName(QStringLiteral("Expiry date"));
    expiration->addWidget(m_check2);
    expiration->addWidget(m_text2);
    layout->addWidget(frame3, 4, 0, 1, 3);

    QGroupBox *frame4 = frame("Frame4", "( Reach )", this);
    auto *reaches = new QVBoxLayout(frame4);
    // In the frame from top to bottom: "Program and DBase" (1), "None" (0), "Program Only" (2),
    // "Program and DBase, sealed" (3).
    const std::tuple<int, const char *, const char *> reachRows[]
        = {{1, "Option4", "Program and DBase"}, {0, "Option5", "None"},
            {2, "Option6", "Program Only"}, {3, "Option7", "Program and DBase, sealed"}};
    for (const auto &[level, name, caption] : reachRows) {
        m_reaches[level] = named(new QRadioButton(QString::fromLatin1(caption), frame4), name);
        m_reaches[level]->setAutoExclusive(false);
        reaches->addWidget(m_reaches[level]);
        connect(m_reaches[level], &QRadioButton::clicked, this, [this, level = level] {
            m_form.selectReach(level);
            render();
        });
    }
    layout->addWidget(frame4, 5, 0, 1, 3);

    auto *accept = named(new QPushButton(QStringLiteral("Accept"), this), "Command2");
    auto *reset = named(new QPushButton(QStringLiteral("Reset"), this), "Command3");
    layout->addWidget(accept, 6, 1);
    layout->addWidget(reset, 6, 2);

    // Text set while the form is shown is the form's own: only typed text goes back.
    connect(m_text1, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!m_rendering)
            run(m_text1, m_form.Text1_Change(text));
    });
    connect(m_text3, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!m_rendering)
            run(m_text3, m_form.Text3_Change(text));
    });
    connect(m_text2, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!m_rendering)
            m_form.Text2_Change(text);
    });
    m_text2->installEventFilter(this);
    connect(m_check1, &QCheckBox::clicked, this, [this](bool checked) {
        m_form.Check1_Click(checked);
        render();
    });
    connect(m_check2, &QCheckBox::clicked, this, [this](bool checked) {
        const bool intoDate = m_form.Check2_Click(checked);
        render();
        if (intoDate)
            m_text2->setFocus();
    });
    connect(m_command1, &QPushButton::clicked, this, [this] {
        m_form.SuggestPassword();
        render();
    });
    connect(reset, &QPushButton::clicked, this, [this] {
        m_form.Command3_Click();
        render();
    });
    connect(accept, &QPushButton::clicked, this, [this] {
        const bool closing = m_form.Command2_Click();
        render();
        if (closing)
            close();
    });
}

void Config::open(const QString &reach, const QString &key)
{
    m_form.open(reach, key);
    render();
    show();
    raise();
    activateWindow();
    m_text1->setFocus();
    m_text1->selectAll();
}

void Config::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous()) { // not when minimised
        m_show->setChecked(false);
        m_form.forgetPassword();
        render();
    }
    QDialog::hideEvent(event);
}

void Config::run(QLineEdit *box, std::optional<int> caret)
{
    render();
    if (caret)
        box->setCursorPosition(*caret);
}

void Config::render()
{
    const SecurityForm::State &state = m_form.state();
    const QScopedValueRollback rendering(m_rendering, true);

    setText(m_text1, state.password);
    m_text1->setPlaceholderText(state.passwordKept ? QStringLiteral("(unchanged)") : QString());
    m_label2->setText(state.lengthLabel.isEmpty() ? m_label2Caption : state.lengthLabel);
    m_check1->setChecked(state.suggest);
    m_command1->setEnabled(state.suggest);
    for (int i = 0; i < 3; ++i) {
        m_levels[i]->setEnabled(state.suggest);
        m_levels[i]->setChecked(state.level == i + 1);
    }
    for (int i = 0; i < 4; ++i) {
        m_reaches[i]->setEnabled(state.reachEnabled[i]);
        m_reaches[i]->setChecked(state.reach == i);
    }
    setText(m_text3, state.length);
    const bool lengthEnabled = state.level == 3;
    m_text3->setEnabled(lengthEnabled);
    // Greyed out when it takes nothing, in the theme's colours.
    QPalette palette;
    if (!lengthEnabled)
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    m_text3->setPalette(palette);
    m_check2->setChecked(state.doNotExpire);
    m_check2->setEnabled(state.doNotExpireEnabled);
    setText(m_text2, state.expiry);
    m_text2->setEnabled(state.expiryEnabled);
}

void Config::keyPressEvent(QKeyEvent *event)
{
    auto *button = qobject_cast<QPushButton *>(focusWidget());
    if (button && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        button->click();
    else
        QDialog::keyPressEvent(event);
}

bool Config::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text2 && event->type() == QEvent::FocusIn) {
        // Two characters from the caret are selected (the month at the start), after the box
        // has placed its caret.
        QTimer::singleShot(
            0, m_text2, [this] { m_text2->setSelection(m_text2->cursorPosition(), 2); });
    } else if (watched == m_text2 && event->type() == QEvent::FocusOut) {
        m_form.NormaliseExpiryDate();
        render();
    }
    return QDialog::eventFilter(watched, event);
}
