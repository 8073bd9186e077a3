#include "ServiceListModel.h"

void ServiceListModel::setBook(RecordBook book)
{
    beginResetModel();
    m_book = std::move(book);
    m_filter.setRecords(m_book);
    endResetModel();
}

qsizetype ServiceListModel::insert(const QString &line)
{
    const qsizetype index = m_book.sortedIndex(line);
    const qsizetype row = m_filter.rowFor(index, line);
    if (row >= 0)
        beginInsertRows({}, int(row), int(row));
    m_book.insert(line);
    m_filter.setRecords(m_book);
    if (row >= 0)
        endInsertRows();
    return index;
}

void ServiceListModel::setSearchText(const QString &text)
{
    beginResetModel();
    m_filter.setText(text);
    endResetModel();
}

void ServiceListModel::setConcealed(bool concealed)
{
    if (concealed == m_concealed)
        return;
    beginResetModel();
    m_concealed = concealed;
    endResetModel();
}

int ServiceListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_concealed ? 0 : int(m_filter.rowCount());
}

QVariant ServiceListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return m_book.service(recordAt(index.row()));
}
