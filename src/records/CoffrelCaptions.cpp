#include "Coffrel.h"

#include "ClickLabel.h"
#include "FieldEdit.h"
#include "MainWindowLayout.h"
#include "Toolbar.h"
#include "intl/Captions.h"

#include <QCheckBox>
#include <QMenuBar>
#include <QToolButton>

// The main window in the language in use: captions, the places they need, the undo items.

void Coffrel::RelabelMainWindow()
{
    applyCaptions(CaptionTable::translated(CaptionTable::mainWindow, m_dictionary),
        [this](const QString &name) { return control(name); });
    m_toolbar->updateNames();
    // The Password field's generator button is named after its menu item.
    auto *generate = static_cast<QToolButton *>(control(QStringLiteral("generatePassword")));
    generate->defaultAction()->setText(
        withoutAccessKey(menuItem(QStringLiteral("mnuGenerate"))->text()));
    generate->setAccessibleName(generate->defaultAction()->text());
    // Each label takes the width of its caption; the fields stand right of the widest.
    std::array<double, RecordLine::fieldCount> labelRights;
    for (int i = 0; i < RecordLine::fieldCount; ++i) {
        m_fields[i]->setAccessibleName(m_labels[i]->text().remove(u'&'));
        m_labels[i]->resize(m_labels[i]->sizeHint().width(), m_labels[i]->height());
        labelRights[i] = (m_labels[i]->x() + m_labels[i]->width()) * 15.0;
    }
    const std::array<Twips, RecordLine::fieldCount> fields
        = MainWindowLayout::correctedFields(labelRights);
    int right = 0;
    for (int i = 0; i < RecordLine::fieldCount; ++i) {
        m_places[m_fields[i]->objectName()] = fields[i];
        right = qMax(right, fields[i].left + fields[i].width);
    }
    // The boxes beside Username and Password stand right of those fields and are as wide as
    // their captions, and the window is wide enough for the fields, the boxes and the menus.
    const Twips &password = fields[RecordLine::Password];
    for (QCheckBox *box : {m_check1, m_check2}) {
        Twips &place = m_places[box->objectName()];
        place.left = qMax(place.left, password.left + password.width + 90);
        place.width = qMax(place.width, box->sizeHint().width() * 15);
        right = qMax(right, place.left + place.width);
    }
    const int width = qMax(Twips::pixels(right + 90), menuBar()->sizeHint().width());
    centralWidget()->setMinimumWidth(qMax(MainWindowLayout::clientSize.width(), width));
    placeControls();
}

void Coffrel::BuildUndoMenu()
{
    auto *undo = findChild<QMenu *>(QStringLiteral("mnuUndo"));
    for (int k = 1; k <= RecordLine::fieldCount; ++k) {
        auto *item = undo->addAction(m_labels[k - 1]->text());
        item->setObjectName(QStringLiteral("GrandOops(%1)").arg(k));
        connect(item, &QAction::triggered, &m_browser, [this, k] { m_browser.GrandOops_Click(k); });
        m_menuItems.insert(item->objectName(), item);
        registerControl(item);
    }
    menuItem(QStringLiteral("GrandOops(0)"))->setText(QStringLiteral("Oops !"));
}
