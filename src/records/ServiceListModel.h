#pragma once

#include "RecordFilter.h"
#include "vault/RecordBook.h"

#include <QAbstractListModel>

// The service list as a list model over the record book, showing the records a search
// finds (every record without a search text). An added record is told row by row, so that
// a view keeps its place; a book handed over whole, or a new search, resets the view.
class ServiceListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    const RecordBook &book() const { return m_book; }
    void setBook(RecordBook book);
    void load(const QStringList &lines) { setBook(RecordBook(lines)); }
    qsizetype insert(const QString &line);
    void setSearchText(const QString &text);
    // A search is coming: the records' texts are folded now.
    void prepareSearch() { m_filter.prepare(); }
    // The record index a row shows, -1 for none; the row that shows a record, -1 when none.
    qsizetype recordAt(qsizetype row) const { return m_filter.recordAt(row); }
    qsizetype rowOf(qsizetype record) const { return m_filter.rowOf(record); }
    // Concealed, the model lists no row (the book stays as it is).
    void setConcealed(bool concealed);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    RecordBook m_book;
    RecordFilter m_filter;
    bool m_concealed = false;
};
