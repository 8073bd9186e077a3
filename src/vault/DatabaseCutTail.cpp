#include "Database.h"

CutTail::Outcome Database::keepCutTail(Source source, bool mayWrite)
{
    if (source == Source::Sealed) // one sealed whole, never appended to
        return {};
    CutTail::Outcome outcome;
    const auto keep = [&] {
        const bool seen = !changedElsewhere(source);
        outcome = CutTail::keep(m_folder, fileName(source), *m_clock, mayWrite);
        if (outcome.kind == CutTail::Kind::SetAside && seen)
            noteWritten(source);
        return outcome.kind == CutTail::Kind::SetAside || outcome.kind == CutTail::Kind::Whole;
    };
    if (!(mayWrite ? whileLocked(keep) : keep()) && outcome.kind == CutTail::Kind::Whole)
        return {CutTail::Kind::Unread, failure()}; // the write lock was not taken
    if (outcome.kind == CutTail::Kind::SetAside || outcome.kind == CutTail::Kind::Left)
        m_cutTails[source] = outcome;
    return outcome.kind == CutTail::Kind::SetAside ? CutTail::Outcome() : outcome;
}
