#pragma once

#include <QCollator>
#include <QStringList>

// The record list and the service list in one order: by service name, then by whole line,
// letter case ignored. Entry i of services() is the service name of entry i of records().
class RecordBook
{
public:
    RecordBook();

    // Replaces the content with the lines, sorted once.
    void load(QStringList lines);
    // The place where insert() puts the line.
    qsizetype sortedIndex(const QString &line) const;
    // Inserts the line at its sorted place in both lists and returns that place.
    qsizetype insert(const QString &line);
    void removeAt(qsizetype index);

    // The first entry equal to the line (exact, case-sensitive), or -1.
    qsizetype indexOf(const QString &line) const { return m_records.indexOf(line); }
    qsizetype count() const { return m_records.size(); }
    const QStringList &records() const { return m_records; }
    const QStringList &services() const { return m_services; }

private:
    bool lessThan(const QString &serviceA, const QString &lineA, const QString &serviceB,
        const QString &lineB) const;

    QCollator m_collator;
    QStringList m_records;
    QStringList m_services;
};
