#pragma once

#include "extendedfilterproxymodel.h"
#include "jsontablemodel.h"
#include "requesttablemodel.h"
#include "selectordialog.h"

#include <QJsonObject>
#include <QMap>
#include <QNetworkRequest>
#include <QString>

#include <memory>

class CommonSelectorAddHandler;
class QAbstractItemDelegate;

namespace Ui {
class CommonSelectorDialog;
}

// The selector over one server list: a searchable, sortable table that is
// reloaded on every opening.
class CommonSelectorDialog : public SelectorDialog
{
    Q_OBJECT

public:
    class Builder;

    explicit CommonSelectorDialog(QWidget *parent = nullptr);
    ~CommonSelectorDialog() override;

    void refresh() override;
    // Clears the search text and with it the filter.
    void reset() override;
    // Only rows that pass the current search are looked at.
    void setSelectedId(int id) override;
    QString getDisplayValueForId(int id) const override;

    // The whole record of the chosen id as the server sent it; empty when
    // no shown row holds it.
    QJsonObject getSelectedObject() const;
    // The record behind a row of the table.
    QJsonObject getObjectForIndex(const QModelIndex &index) const;

    // A path relative to the server root, with an optional query.
    void setEndpoint(const QString &endpoint);
    QString getEndpoint() const { return endpoint; }
    // Used unchanged (but for the sign-in header) while no endpoint is set.
    void setRequest(const QNetworkRequest &request);
    // (column label, JSON key) per column; column 0 is the id by convention.
    void setHeaders(const JsonTableModel::Headers &headers);
    // The dialog does not take ownership of the delegates.
    void setItemDelegates(const QMap<int, QAbstractItemDelegate *> &delegates);
    // The column whose text names a record in a selector field.
    void setDisplayColumn(int column);
    // Applied now and after every load; column -1 leaves loads unsorted.
    void sort(int column, Qt::SortOrder order);
    // The dialog takes ownership; "Добавить" is enabled exactly when one is set.
    void setAddHandler(CommonSelectorAddHandler *handler);

public slots:
    void addItem();

private:
    void acceptSelection();
    void loadFinished();
    void updateOkButton();
    // The proxy row of the first shown record with this id, or -1.
    int rowOfId(int id) const;

    Ui::CommonSelectorDialog *ui;
    QNetworkRequest request;
    RequestTableModel model;
    ExtendedFilterProxyModel proxy;
    CommonSelectorAddHandler *addHandler = nullptr;
    QString endpoint;
    int displayColumn = 0;
    int sortColumn = 0;
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
};

// Assembles a selector in one chain of calls:
//   CommonSelectorDialog::Builder::create()->withEndpoint("positions")->...->build();
// The builder does not own the dialog; whoever receives it from build() does.
class CommonSelectorDialog::Builder
{
public:
    static std::unique_ptr<Builder> create();

    Builder *withEndpoint(const QString &endpoint);
    Builder *withRequest(const QNetworkRequest &request);
    Builder *withAddHandler(CommonSelectorAddHandler *handler);
    Builder *withDisplayColumn(int column);
    Builder *sortBy(int column, Qt::SortOrder order);
    Builder *withHeaders(const JsonTableModel::Headers &headers);
    // The dialog's table takes ownership of the delegates.
    Builder *withItemDelegates(const QMap<int, QAbstractItemDelegate *> &delegates);

    CommonSelectorDialog *build();

private:
    Builder();

    CommonSelectorDialog *dialog;
};
