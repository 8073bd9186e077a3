#include "GeneratorDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtAlgorithms>

using namespace PasswordGenerator;

namespace {

constexpr std::pair<Kind, const char *> kindRows[]
    = {{Letters, "Le&tters"}, {Digits, "&Digits"}, {Signs, "&Signs"}};

// A number box and its label on one row of the layout.
QSpinBox *spinBox(
    QGridLayout *layout, int row, const QString &caption, int lowest, int highest, int value)
{
    auto *box = new QSpinBox;
    box->setRange(lowest, highest);
    box->setValue(value);
    auto *label = new QLabel(caption);
    label->setBuddy(box);
    layout->addWidget(label, row, 0);
    layout->addWidget(box, row, 1);
    return box;
}

} // namespace

GeneratorDialog::GeneratorDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("GeneratorDialog"));
    setWindowTitle(QStringLiteral("Generate password"));
    const Shape shape;
    auto *layout = new QGridLayout(this);

    m_characters = new QRadioButton(QStringLiteral("C&haracters"), this);
    m_characters->setChecked(true);
    layout->addWidget(m_characters, 0, 0, 1, 2);
    m_length = spinBox(layout, 1, QStringLiteral("&Length:"), shortest, longest, shape.length);
    auto *kinds = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        m_kinds[i] = new QCheckBox(QString::fromLatin1(kindRows[i].second), this);
        m_kinds[i]->setChecked(shape.kinds & kindRows[i].first);
        kinds->addWidget(m_kinds[i]);
        connect(m_kinds[i], &QCheckBox::toggled, this, &GeneratorDialog::draw);
    }
    layout->addLayout(kinds, 2, 0, 1, 2);

    m_passphrase = new QRadioButton(QStringLiteral("&Passphrase"), this);
    layout->addWidget(m_passphrase, 3, 0, 1, 2);
    m_words = spinBox(layout, 4, QStringLiteral("&Words:"), fewestWords, mostWords, shape.words);

    m_preview = new QLineEdit(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setReadOnly(true);
    m_preview->setAccessibleName(QStringLiteral("Preview"));
    m_preview->setMinimumWidth(m_preview->fontMetrics().averageCharWidth() * 44);
    layout->addWidget(m_preview, 5, 0, 1, 2);
    m_bits = new QLabel(this);
    layout->addWidget(m_bits, 6, 0);
    auto *again = new QPushButton(QStringLiteral("&New"), this);
    again->setAutoDefault(false);
    layout->addWidget(again, 6, 1, Qt::AlignRight);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons, 7, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(again, &QPushButton::clicked, this, &GeneratorDialog::draw);
    connect(m_characters, &QRadioButton::toggled, this, &GeneratorDialog::draw);
    connect(m_length, &QSpinBox::valueChanged, this, &GeneratorDialog::draw);
    connect(m_words, &QSpinBox::valueChanged, this, &GeneratorDialog::draw);
    connect(m_preview, &QLineEdit::textChanged, buttons->button(QDialogButtonBox::Ok),
        [ok = buttons->button(QDialogButtonBox::Ok)](
            const QString &text) { ok->setEnabled(!text.isEmpty()); });
}

void GeneratorDialog::open()
{
    draw();
    QDialog::open();
}

QString GeneratorDialog::password() const
{
    return m_preview->text();
}

void GeneratorDialog::done(int result)
{
    QDialog::done(result);
    m_preview->clear();
}

void GeneratorDialog::draw()
{
    Shape shape {m_passphrase->isChecked(), m_length->value(), 0, m_words->value()};
    for (int i = 0; i < 3; ++i)
        shape.kinds |= m_kinds[i]->isChecked() ? kindRows[i].first : 0;
    // The last kind chosen stays chosen.
    const bool lastKind = qPopulationCount(uint(shape.kinds)) == 1;
    for (QCheckBox *kind : m_kinds)
        kind->setEnabled(!shape.passphrase && !(kind->isChecked() && lastKind));
    m_length->setEnabled(!shape.passphrase);
    m_words->setEnabled(shape.passphrase);
    m_preview->setText(generate(shape));
    m_bits->setText(QStringLiteral("Entropy: %1 bits").arg(qRound(entropyBits(shape))));
}
