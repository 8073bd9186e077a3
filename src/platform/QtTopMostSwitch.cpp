#include "QtTopMostSwitch.h"

#include <QWidget>
#include <QWindow>

void QtTopMostSwitch::setTopMost(QWidget *window, bool topMost)
{
    // The native window keeps its place and size; QWidget::setWindowFlag would hide it and
    // show it again.
    if (QWindow *handle = window->windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint, topMost);
    else
        window->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
}
