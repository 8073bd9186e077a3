#pragma once

#include "CaptionTable.h"

#include <QString>

#include <functional>

class QObject;
class QWidget;

// Puts translated captions, tooltips and titles on the controls that find() names; a title
// goes to the window. A control not found is passed over.
void applyCaptions(const QList<CaptionTable::Caption> &captions,
    const std::function<QObject *(const QString &)> &find);

// The same for a window whose controls are its children.
void applyCaptions(QWidget *window, const QList<CaptionTable::Caption> &captions);

// A menu caption as a title or tooltip shows it: without the "&" of its access key.
QString withoutAccessKey(QString caption);
