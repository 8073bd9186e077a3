#pragma once

#include <QList>
#include <QString>

#include <span>

class Dictionary;

// Which dictionary line each window's captions, tooltips and title read in a language other
// than English. A window applies its rows in order when it loads.
namespace CaptionTable {

// Name: the accessible name; Placeholder: the grey text of an empty box.
enum class Property { Caption, Tooltip, Title, Name, Placeholder };

struct Row
{
    int line;
    const char *control; // the control's name; the window itself for a title
    Property property;
    const char *suffix = ""; // an English text that follows the line
};

struct Caption
{
    QString control;
    Property property;
    QString text;
};

extern const std::span<const Row> mainWindow;
extern const std::span<const Row> splash;
extern const std::span<const Row> passwordPrompt;
extern const std::span<const Row> securitySettings;
extern const std::span<const Row> languageDialog;

// The line that the toolbar button opening the maker's web page shows as its tooltip.
constexpr int webButtonTooltip = 70;
// The caption of the settings dialog's sealed reach option, "Option7"; English when the
// language file has no such line.
constexpr int sealedReachCaption = 76;
// Lines from this one on came after the first language files: a file without them leaves
// those captions in English.
constexpr int firstAddedLine = 77;
// The lines of a whole language file.
constexpr int lineCount = 82;

// The texts of the rows from the dictionary, in the rows' order.
QList<Caption> translated(std::span<const Row> rows, const Dictionary &dictionary);

} // namespace CaptionTable
