#include "PreferencesDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace {

QSpinBox *spinBox(const char *name, int value, int max, const char *unit, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, max);
    box->setValue(value);
    box->setSuffix(QString::fromLatin1(unit));
    box->setSpecialValueText(QStringLiteral("Never"));
    return box;
}

} // namespace

PreferencesDialog::PreferencesDialog(const Preferences::Values &values, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Preferences"));
    setWindowTitle(QStringLiteral("Preferences"));
    m_clipboardSeconds = spinBox(
        "clipboardSeconds", values.clipboardSeconds, Preferences::maxClipboardSeconds, " s", this);
    m_idleLockMinutes = spinBox(
        "idleLockMinutes", values.idleLockMinutes, Preferences::maxIdleLockMinutes, " min", this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QFormLayout(this);
    // The labels name the boxes on the accessibility bus.
    layout->addRow(
        QStringLiteral("&Clear a copied password or username after:"), m_clipboardSeconds);
    layout->addRow(
        QStringLiteral("&Lock when idle for (with a master password):"), m_idleLockMinutes);
    layout->addRow(buttons);
}

Preferences::Values PreferencesDialog::values() const
{
    return {m_clipboardSeconds->value(), m_idleLockMinutes->value()};
}
