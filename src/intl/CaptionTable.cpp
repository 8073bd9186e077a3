#include "CaptionTable.h"

#include "Dictionary.h"

namespace CaptionTable {

namespace {

constexpr Property C = Property::Caption;
constexpr Property T = Property::Tooltip;
constexpr Property W = Property::Title;
constexpr Property N = Property::Name;
constexpr Property P = Property::Placeholder;

constexpr Row mainWindowRows[] = {
    {5, "Label4", C},
    {6, "Label1", C},
    {7, "Label2", C},
    {8, "Label3", C},
    {9, "Label5", C},
    {10, "Check1", C},
    {11, "Check2", C},
    {12, "mnuMenu", C},
    {13, "mnuConfig", C},
    {14, "mnuSecurity", C},
    {15, "mnuCapture", C},
    {16, "mnuAdd", C},
    {17, "mnuRemove", C},
    {18, "mnuReplace", C},
    {19, "mnuReset", C},
    {20, "mnuLang", C},
    {21, "mnuAbout", C},
    {22, "mnuImport", C},
    {23, "mnuHelp", C},
    {23, "THelpmnu", C},
    {24, "mnuExit", C},
    {25, "Check1", T},
    {77, "mnuLock", C},
    {78, "mnuPreferences", C},
    {79, "mnuGenerate", C},
    {80, "Search", N},
    {80, "Search", P, " (Ctrl+F)"},
    {81, "mnuMerge", C},
};

constexpr Row splashRows[] = {
    {0, "Label3", C},
    {1, "Label1(0)", C},
    {2, "Label1(3)", C},
    {3, "Label5", C},
    {4, "Label2", C, " 1.0 -                  Vaultine"},
};

constexpr Row passwordPromptRows[] = {
    {54, "PassReq", W},
    {7, "Label1", C},
    {55, "Command2", C},
};

constexpr Row securitySettingsRows[] = {
    {7, "Label1", C},
    {26, "Frame2", C},
    {27, "Check1", C},
    {28, "Command1", C},
    {29, "Frame1", C},
    {30, "Option1", C},
    {31, "Option2", C},
    {32, "Option3", C},
    {33, "Label3", C},
    {34, "Frame3", C},
    {35, "Check2", C},
    {36, "Frame4", C},
    {37, "Option4", C},
    {38, "Option6", C},
    {39, "Option5", C},
    {40, "Label2", C},
    {19, "Command3", C},
    {41, "Command2", C},
    {42, "Config", W, " Vaultine"},
};

// The frame reads line 71, which nothing else reads.
constexpr Row languageDialogRows[] = {
    {20, "LangSelect", W},
    {41, "Command1", C},
    {71, "Frame1", C},
    {69, "Command2", C},
};

} // namespace

const std::span<const Row> mainWindow = mainWindowRows;
const std::span<const Row> splash = splashRows;
const std::span<const Row> passwordPrompt = passwordPromptRows;
const std::span<const Row> securitySettings = securitySettingsRows;
const std::span<const Row> languageDialog = languageDialogRows;

QList<Caption> translated(std::span<const Row> rows, const Dictionary &dictionary)
{
    QList<Caption> captions;
    for (const Row &row : rows) {
        // A language file made before a line was added keeps that caption in English.
        if (row.line >= firstAddedLine && dictionary.line(row.line).isEmpty())
            continue;
        captions.append({QString::fromLatin1(row.control), row.property,
            dictionary.line(row.line) + QString::fromLatin1(row.suffix)});
    }
    return captions;
}

} // namespace CaptionTable
