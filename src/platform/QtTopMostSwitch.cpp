#include "QtTopMostSwitch.h"

#include <QWidget>

void QtTopMostSwitch::setTopMost(QWidget *window, bool topMost)
{
    const QRect geometry = window->geometry();
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    window->setGeometry(geometry);
    if (visible)
        window->show();
}
