#pragma once

#include <QObject>
#include <QTimer>
#include <QToolButton>

#include <functional>

// A toolbar icon; it raises its button when the mouse moves over it, and only while enabled.
// The keyboard reaches it with Tab, which raises the button too, and runs it with Space.
class ToolbarIcon : public QToolButton
{
    Q_OBJECT

public:
    using QToolButton::QToolButton;

signals:
    void hovered();
    void focusLeft();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

// The nine toolbar icons Image1(0..8) and their raised buttons Command1(0..8). A button
// rises over the icon under the mouse; Timer3 lowers the others on its next tick and runs
// only while a button that must fall is up.
class Toolbar : public QObject
{
    Q_OBJECT

public:
    static constexpr int count = 9;
    // The icons' order on the screen.
    static constexpr int leftToRight[count] = {0, 1, 2, 3, 8, 4, 5, 6, 7};

    // tooltipOf(i) gives the raised button's tooltip as it currently stands.
    Toolbar(QWidget *window, std::function<QString(int)> tooltipOf);

    // Raises the button of the icon under the mouse (none when index is count) and lowers
    // the others on the next tick.
    void setHoverIndex(int index);
    // The icons' and buttons' accessible names from the tooltips as they stand.
    void updateNames();
    ToolbarIcon *icon(int index) const { return m_icons[index]; }
    QToolButton *button(int index) const { return m_buttons[index]; }

signals:
    void iconHovered(int index);
    void commandClicked(int index);

private:
    QString accessibleNameOf(int index) const;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void Timer3_Timer();

    std::function<QString(int)> m_tooltipOf;
    ToolbarIcon *m_icons[count];
    QToolButton *m_buttons[count];
    QTimer m_timer3;
    int m_hoverIndex = 0;
};
