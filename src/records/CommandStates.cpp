#include "CommandStates.h"

namespace {

enum class Effect { Unchanged, Enable, Disable, FieldRule };

struct Row
{
    CommandStates::Event event;
    Effect effects[CommandStates::commandCount]; // Add, Replace, Remove, Reset
};

using E = CommandStates::Event;
constexpr Effect U = Effect::Unchanged;
constexpr Effect On = Effect::Enable;
constexpr Effect Off = Effect::Disable;
constexpr Effect Rule = Effect::FieldRule;

constexpr Row rows[] = {
    {E::WindowOpens, {Off, Off, Off, On}},
    {E::FieldChanged, {Rule, Rule, U, U}},
    {E::SelectionChanged, {Rule, Rule, U, U}},
    // The fields fill afterwards, each change applying the field rule.
    {E::ListReleased, {U, On, On, On}},
    {E::ListRightReleased, {U, U, Off, U}},
    {E::AddDone, {Rule, Rule, U, U}},
    {E::ReplaceDone, {U, U, U, U}},
    {E::RemoveDone, {Rule, Rule, Off, U}},
    {E::ResetDone, {Rule, Rule, Off, U}},
    {E::UndoDone, {Rule, Rule, U, U}},
};

} // namespace

void CommandStates::apply(Event event, bool fieldsComplete)
{
    for (const Row &row : rows) {
        if (row.event != event)
            continue;
        for (int command = 0; command < commandCount; ++command) {
            switch (row.effects[command]) {
            case Effect::Unchanged:
                break;
            case Effect::Enable:
                m_enabled[command] = true;
                break;
            case Effect::Disable:
                m_enabled[command] = false;
                break;
            case Effect::FieldRule:
                m_enabled[command] = fieldsComplete;
                break;
            }
        }
    }
}
