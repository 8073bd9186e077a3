#include "RecordFields.h"

#include "vault/RecordLine.h"

QStringList recordFields(const QString &line)
{
    QStringList fields = RecordLine::splitFields(line);
    fields.resize(RecordLine::fieldCount);
    fields[RecordLine::Service] = RecordLine::serviceName(line);
    return fields;
}
