#pragma once

#include "vault/RecordBook.h"

#include <QAbstractListModel>

// The service list as a list model over the record book, told of every change row by row so
// that a view keeps its place.
class ServiceListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    const RecordBook &book() const { return m_book; }
    void load(const QStringList &lines);
    qsizetype insert(const QString &line);
    void removeAt(qsizetype index);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    RecordBook m_book;
};
