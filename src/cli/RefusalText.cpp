#include "RefusalText.h"

#include <utility>

QString refusalText(RecordEditor::Result result)
{
    static const std::pair<RecordEditor::Result, const char *> texts[] = {
        {RecordEditor::Result::Duplicate, "There is an identical record already filed"},
        {RecordEditor::Result::SeparatorInField,
            "A field can not hold \":!\", the mark that separates the fields of a record."},
        {RecordEditor::Result::WriteFailed, "Can not access the DataBase."},
    };
    for (const auto &[refused, text] : texts) {
        if (refused == result)
            return QString::fromLatin1(text);
    }
    return {};
}
