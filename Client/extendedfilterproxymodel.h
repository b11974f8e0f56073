#pragma once

#include <QSortFilterProxyModel>

// Sorting and an all-columns search that can be switched off as a whole.
class ExtendedFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit ExtendedFilterProxyModel(QObject *parent = nullptr);

    void setFilterEnabled(bool enabled);
    bool isFilterEnabled() const { return filterEnabled; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    bool filterEnabled = true;
};
