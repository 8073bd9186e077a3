#include "ServiceListModel.h"

void ServiceListModel::load(const QStringList &lines)
{
    beginResetModel();
    m_book.load(lines);
    endResetModel();
}

void ServiceListModel::setBook(RecordBook book)
{
    beginResetModel();
    m_book = std::move(book);
    endResetModel();
}

qsizetype ServiceListModel::insert(const QString &line)
{
    const qsizetype index = m_book.sortedIndex(line);
    beginInsertRows({}, int(index), int(index));
    m_book.insert(line);
    endInsertRows();
    return index;
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
    return parent.isValid() || m_concealed ? 0 : int(m_book.count());
}

QVariant ServiceListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return m_book.services().at(index.row());
}
