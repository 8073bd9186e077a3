#pragma once

#include "platform/MessageBoxes.h"

class Dictionary;

// A message box of the program: its title and icon are the same in every language, its text
// is English or, for the messages that have one, a line of the dictionary.
struct Message
{
    const char *title;
    const char *text;
    MessageBoxes::Icon icon;
    int line = -1; // -1: English in every language
};

void showMessage(MessageBoxes &messages, const Dictionary &dictionary, const Message &message,
    const QString &detail = {});
