#pragma once

#include "records/RecordEditor.h"

#include <QString>

// What the window tells when it refuses a record command; empty for a command done.
QString refusalText(RecordEditor::Result result);
