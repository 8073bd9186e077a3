#include "Coffrel.h"

#include "FieldEdit.h"
#include "GeneratorDialog.h"
#include "Product.h"
#include "intl/LangSelect.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "security/Config.h"
#include "vault/VaultAccess.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// The windows the main window opens: About (through the program), Help, Language, Security,
// the password generator.

void Coffrel::mnuAbout_Click()
{
    // A window kept on top would hide the About box.
    m_check2->setChecked(false);
    emit aboutRequested();
}

void Coffrel::mnuHelp_Click()
{
    const QString page = m_folders.shippedFile(QStringLiteral("Help/help.html"));
    if (QFileInfo::exists(page) && !m_platform.shell.open(page))
        m_platform.messages.showMessage(productName,
            QStringLiteral("There is no program to show the help page with."),
            MessageBoxes::Icon::Information, QDir::toNativeSeparators(page));
}

void Coffrel::mnuLang_Click()
{
    auto *dialog
        = new LangSelect(LanguageSelection(LanguageChoice(m_folders), m_platform.processStarter,
                             m_platform.programEnd, QCoreApplication::applicationFilePath()),
            m_dictionary);
    connect(dialog, &QDialog::finished, this, &QWidget::show);
    dialog->show();
    hide();
}

void Coffrel::openSecuritySettings()
{
    if (!m_config) {
        m_config = std::make_unique<Config>(m_securityForm, m_dictionary);
        // Accepted settings may set or take away the master password that a lock needs.
        connect(
            m_config.get(), &QDialog::finished, &m_browser.windowLock(), &WindowLock::levelChanged);
    }
    const VaultAccess &access = m_database.access();
    m_config->open(access.reach, access.databaseKey);
}

void Coffrel::openGenerator()
{
    if (!m_generator) {
        m_generator = new GeneratorDialog(this);
        connect(m_generator, &QDialog::accepted, this, [this] {
            FieldEdit *password = m_fields[RecordLine::Password];
            password->setText(m_generator->password());
            password->setFocus();
        });
    }
    m_generator->open();
}
