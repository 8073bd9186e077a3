#pragma once

#include "TopMostSwitch.h"

class QtTopMostSwitch : public TopMostSwitch
{
public:
    void setTopMost(QWidget *window, bool topMost) override;
};
