#pragma once

#include "vault/RecordBook.h"

#include <QAbstractListModel>

// The service list as a list model over the record book. An added record is told row by
// row, so that a view keeps its place; a book handed over whole resets the view.
class ServiceListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    const RecordBook &book() const { return m_book; }
    void load(const QStringList &lines);
    void setBook(RecordBook book);
    qsizetype insert(const QString &line);
    // Concealed, the model lists no row (the book stays as it is).
    void setConcealed(bool concealed);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    RecordBook m_book;
    bool m_concealed = false;
};
