#include "Toolbar.h"

#include "intl/Twips.h"

#include <QMouseEvent>

namespace {

struct ToolbarSlot
{
    const char *picture;
    int iconLeft;
    int buttonLeft;
};

// By index; from left to right the order is Toolbar::leftToRight.
constexpr ToolbarSlot toolbarSlots[Toolbar::count] = {
    {"add", 75, 30},
    {"replace", 645, 600},
    {"remove", 1215, 1170},
    {"reset", 1770, 1725},
    {"security", 2925, 2880},
    {"help", 3500, 3450},
    {"capture", 4155, 4110},
    {"exit", 4725, 4675},
    {"web", 2340, 2295},
};

} // namespace

void ToolbarIcon::mouseMoveEvent(QMouseEvent *event)
{
    QToolButton::mouseMoveEvent(event);
    event->accept();
    emit hovered();
}

void ToolbarIcon::focusInEvent(QFocusEvent *event)
{
    QToolButton::focusInEvent(event);
    emit hovered();
}

void ToolbarIcon::focusOutEvent(QFocusEvent *event)
{
    QToolButton::focusOutEvent(event);
    emit focusLeft();
}

Toolbar::Toolbar(QWidget *window, std::function<QString(int)> tooltipOf)
    : QObject(window)
    , m_tooltipOf(std::move(tooltipOf))
{
    m_timer3.setInterval(16);
    connect(&m_timer3, &QTimer::timeout, this, &Toolbar::Timer3_Timer);

    for (int i = 0; i < count; ++i) {
        const QPixmap picture(QStringLiteral(":/icons/%1.png").arg(toolbarSlots[i].picture));

        auto *icon = new ToolbarIcon(window);
        icon->setObjectName(QStringLiteral("Image1(%1)").arg(i));
        icon->setIcon(picture);
        icon->setIconSize(picture.size());
        icon->setAutoRaise(true);
        icon->setMouseTracking(true);
        icon->setAttribute(Qt::WA_NoMousePropagation);
        icon->setGeometry(Twips {toolbarSlots[i].iconLeft, 120, 480, 480}.toPixels());
        connect(icon, &ToolbarIcon::hovered, this, [this, i] { emit iconHovered(i); });
        connect(icon, &ToolbarIcon::focusLeft, this, [this] { emit iconHovered(count); });
        connect(icon, &ToolbarIcon::clicked, this, [this, i] { emit commandClicked(i); });
        m_icons[i] = icon;

        auto *button = new QToolButton(window);
        button->setObjectName(QStringLiteral("Command1(%1)").arg(i));
        button->setIcon(picture);
        button->setIconSize(picture.size());
        button->setGeometry(Twips {toolbarSlots[i].buttonLeft, 90, 570, 555}.toPixels());
        button->setMouseTracking(true);
        button->setAttribute(Qt::WA_NoMousePropagation);
        button->installEventFilter(this);
        // The keyboard reaches the command through its icon.
        button->setFocusPolicy(Qt::NoFocus);
        button->hide();
        connect(button, &QToolButton::clicked, this, [this, i] { emit commandClicked(i); });
        m_buttons[i] = button;
    }
    updateNames();
}

void Toolbar::updateNames()
{
    for (int i = 0; i < count; ++i) {
        m_icons[i]->setAccessibleName(accessibleNameOf(i));
        m_buttons[i]->setAccessibleName(accessibleNameOf(i));
    }
}

QString Toolbar::accessibleNameOf(int index) const
{
    const QString tip = m_tooltipOf(index);
    return tip.isEmpty() ? QStringLiteral("Vaultine on the web") : tip;
}

void Toolbar::setHoverIndex(int index)
{
    m_hoverIndex = index;
    if (index < count)
        m_buttons[index]->show();
    for (int j = 0; j < count; ++j) {
        if (j != index && !m_buttons[j]->isHidden()) {
            m_timer3.start();
            return;
        }
    }
}

void Toolbar::Timer3_Timer()
{
    for (int j = 0; j < count; ++j) {
        if (j != m_hoverIndex)
            m_buttons[j]->hide();
    }
    m_timer3.stop();
}

bool Toolbar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        for (int i = 0; i < count; ++i) {
            if (watched == m_buttons[i]) {
                m_buttons[i]->setToolTip(m_tooltipOf(i));
                m_buttons[i]->setAccessibleName(accessibleNameOf(i));
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
