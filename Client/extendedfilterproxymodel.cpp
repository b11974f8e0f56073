#include "extendedfilterproxymodel.h"

ExtendedFilterProxyModel::ExtendedFilterProxyModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setFilterKeyColumn(-1);
}

void ExtendedFilterProxyModel::setFilterEnabled(bool enabled)
{
    filterEnabled = enabled;
    invalidateFilter();
}

bool ExtendedFilterProxyModel::filterAcceptsRow(int sourceRow,
                                                const QModelIndex &sourceParent) const
{
    if (!filterEnabled)
        return true;
    return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}

bool ExtendedFilterProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    return QSortFilterProxyModel::lessThan(left, right);
}
