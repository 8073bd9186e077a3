#pragma once

#include <array>

// The enabled state of the record commands Add, Replace, Remove and Reset (each a menu item
// and a toolbar icon), changed by the events of the main window as one table says.
class CommandStates
{
public:
    enum Command { Add, Replace, Remove, Reset, commandCount };

    enum class Event {
        WindowOpens,
        FieldChanged,
        SelectionChanged, // the fields are emptied
        ListReleased, // left or middle button over the service list
        ListRightReleased,
        AddDone,
        ReplaceDone,
        RemoveDone,
        ResetDone,
        UndoDone,
    };

    // fieldsComplete: Service, Username and Password all hold text (the field rule).
    void apply(Event event, bool fieldsComplete);
    bool isEnabled(Command command) const { return m_enabled[command]; }

private:
    std::array<bool, commandCount> m_enabled {};
};
