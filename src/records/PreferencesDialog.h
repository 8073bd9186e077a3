#pragma once

#include "Preferences.h"

#include <QDialog>

class QSpinBox;

// The window's preferences: the seconds a copied password stays on the clipboard and the idle
// minutes before the window locks, each 0 for never.
class PreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    PreferencesDialog(const Preferences::Values &values, QWidget *parent = nullptr);

    Preferences::Values values() const;

private:
    QSpinBox *m_clipboardSeconds;
    QSpinBox *m_idleLockMinutes;
};
