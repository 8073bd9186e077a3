#include "Coffrel.h"

#include "PreferencesDialog.h"
#include "intl/Message.h"
#include "platform/Platform.h"
#include "security/Config.h"

#include <QLineEdit>
#include <QMenuBar>

// The main window locked and opened again, and its preferences.

void Coffrel::showLock(WindowLock::State state)
{
    const bool locked = state == WindowLock::State::Locked;
    menuItem(QStringLiteral("mnuLock"))->setEnabled(state == WindowLock::State::Open);
    if (locked) {
        // The settings dialog may show the master password.
        if (m_config)
            m_config->close();
        // A field's tooltip shows its text, also on the accessibility bus.
        for (QLineEdit *box : centralWidget()->findChildren<QLineEdit *>()) {
            box->clear();
            box->setToolTip(QString());
        }
    }
    // A hidden list still names its rows on the accessibility bus.
    m_records.setConcealed(locked);
    centralWidget()->setVisible(!locked);
    menuBar()->setEnabled(!locked);
}

void Coffrel::mnuPreferences_Click()
{
    auto *dialog = new PreferencesDialog(m_browser.preferences(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(
        dialog, &QDialog::accepted, this, [this, dialog] { savePreferences(dialog->values()); });
    dialog->open();
}

void Coffrel::savePreferences(const Preferences::Values &values)
{
    static constexpr Message notSaved
        = {"Vaultine", "The preferences could not be saved: they hold until the program ends.",
            MessageBoxes::Icon::Stop};
    if (!m_preferences.write(values))
        showMessage(m_platform.messages, m_dictionary, notSaved, m_preferences.failure());
    m_browser.applyPreferences(values);
}
