#pragma once

#include "CommandStates.h"
#include "Toolbar.h"
#include "vault/RecordLine.h"

#include <utility>

// The main window's tables: its labels, menus and toolbar as data.
namespace CoffrelTables {

// The label of each field: its name and caption.
inline constexpr std::pair<const char *, const char *> labelRows[RecordLine::fieldCount] = {
    {"Label4", "Service"},
    {"Label1", "Username"},
    {"Label2", "Password"},
    {"Label3", "Other Info"},
    {"Label5", "Path"},
};

// The fields whose label copies them to the clipboard.
inline constexpr int copyFields[] = {RecordLine::Username, RecordLine::Password, RecordLine::Path};

enum class MenuKind { Menu, Item, Separator };

struct MenuRow
{
    MenuKind kind;
    const char *name;
    const char *caption;
    const char *parent; // nullptr: on the menu bar itself
    bool enabled;
};

inline constexpr MenuRow menuRows[] = {
    {MenuKind::Menu, "mnuMenu", "Menu", nullptr, true},
    {MenuKind::Menu, "mnuConfig", "&Configure", nullptr, true},
    {MenuKind::Item, "mnuSecurity", "&Security", "mnuConfig", true},
    {MenuKind::Item, "mnuCapture", "&Capture", "mnuConfig", true},
    {MenuKind::Item, "mnuLock", "L&ock", "mnuConfig", false},
    {MenuKind::Item, "mnuPreferences", "&Preferences...", "mnuConfig", true},
    {MenuKind::Item, "mnuGenerate", "&Generate password", "mnuConfig", true},
    {MenuKind::Separator, "sep", "", "mnuConfig", true},
    {MenuKind::Item, "mnuImport", "&Import", "mnuConfig", false},
    {MenuKind::Item, "mnuMerge", "&Merge copies", "mnuConfig", false},
    {MenuKind::Separator, "sep2", "", "mnuConfig", true},
    {MenuKind::Item, "mnuLang", "&Language", "mnuConfig", true},
    {MenuKind::Separator, "sep3", "", "mnuConfig", true},
    {MenuKind::Item, "mnuExit", "E&xit", "mnuConfig", true},
    {MenuKind::Item, "mnuAdd", "&Add", nullptr, false},
    {MenuKind::Item, "mnuReplace", "R&eplace", nullptr, false},
    {MenuKind::Item, "mnuRemove", "Remo&ve", nullptr, false},
    {MenuKind::Item, "mnuReset", "&Reset", nullptr, true},
    {MenuKind::Menu, "THelpmnu", "&Help", nullptr, true},
    {MenuKind::Menu, "mnuUndo", "Oops!", "THelpmnu", true},
    {MenuKind::Item, "GrandOops(0)", "Oops!!!", "mnuUndo", true},
    {MenuKind::Separator, "sep22", "", "THelpmnu", true},
    {MenuKind::Item, "mnuHelp", "&Contents", "THelpmnu", true},
    {MenuKind::Item, "mnuAbout", "A&bout", "THelpmnu", true},
};

// The menu item and the toolbar icon of each record command.
inline constexpr std::pair<const char *, int> commandControls[CommandStates::commandCount]
    = {{"mnuAdd", 0}, {"mnuReplace", 1}, {"mnuRemove", 2}, {"mnuReset", 3}};

// The menu item that each toolbar button runs and whose caption is its tooltip; button 7
// ends the program at once and button 8 opens the maker's web page.
inline constexpr const char *toolbarItems[Toolbar::count] = {"mnuAdd", "mnuReplace", "mnuRemove",
    "mnuReset", "mnuSecurity", "mnuHelp", "mnuCapture", "mnuExit", nullptr};
inline constexpr int endButton = 7;
inline constexpr int webButton = 8;

} // namespace CoffrelTables
