#pragma once

class QWidget;

// Keeps a window above all others, or releases it, without moving or resizing it.
class TopMostSwitch
{
public:
    virtual ~TopMostSwitch() = default;
    virtual void setTopMost(QWidget *window, bool topMost) = 0;
};
