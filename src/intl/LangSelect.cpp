#include "LangSelect.h"

#include "Captions.h"
#include "Dictionary.h"
#include "Twips.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

LangSelect::LangSelect(LanguageSelection selection, const Dictionary &dictionary, QWidget *parent)
    : QDialog(parent)
    , m_selection(std::move(selection))
{
    setObjectName(QStringLiteral("LangSelect"));
    setWindowTitle(QStringLiteral("Language"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(Twips::pixels(2295), Twips::pixels(3600));

    auto *frame1 = new QGroupBox(QStringLiteral("Supported languages "), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(Twips {60, 75, 2175, 2565}.toPixels());
    m_list1 = new QListWidget(frame1);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setAccessibleName(QStringLiteral("Languages"));
    m_list1->setGeometry(Twips {150, 390, 1875, 1980}.toPixels());
    m_list1->addItems(m_selection.names());
    m_list1->setCurrentRow(m_selection.selected());

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true); // Enter chooses
    ok->setAutoDefault(false);
    ok->setGeometry(Twips {630, 2790, 1095, 300}.toPixels());
    connect(ok, &QPushButton::clicked, this, [this] {
        const QList<QListWidgetItem *> chosen = m_list1->selectedItems();
        m_selection.Command1_Click(chosen.isEmpty() ? -1 : m_list1->row(chosen.first()));
    });
    // Enter reaches the default button too: only a double-click chooses from the list itself.
    connect(m_list1, &QListWidget::itemDoubleClicked, ok, &QPushButton::click);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    cancel->setAutoDefault(false);
    cancel->setGeometry(Twips {645, 3180, 1065, 315}.toPixels());
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (m_selection.translates()) {
        applyCaptions(this, CaptionTable::translated(CaptionTable::languageDialog, dictionary));
        // The title is the menu item's caption: its access key means nothing there.
        setWindowTitle(withoutAccessKey(windowTitle()));
    }
    // A caption wider than the frame widens it and the list, the buttons kept in the middle.
    const int wider = qMax(0, frame1->minimumSizeHint().width() - frame1->width());
    frame1->resize(frame1->width() + wider, frame1->height());
    m_list1->resize(m_list1->width() + wider, m_list1->height());
    for (QPushButton *button : {ok, cancel})
        button->move(button->x() + wider / 2, button->y());
    setMinimumWidth(minimumWidth() + wider);
}
