#pragma once

#include "CaptionTable.h"

#include <functional>

class QObject;
class QWidget;

// Puts translated captions, tooltips and titles on the controls that find() names; a title
// goes to the window. A control not found is passed over.
void applyCaptions(const QList<CaptionTable::Caption> &captions,
    const std::function<QObject *(const QString &)> &find);

// The same for a window whose controls are its children.
void applyCaptions(QWidget *window, const QList<CaptionTable::Caption> &captions);
