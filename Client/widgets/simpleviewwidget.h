#pragma once

#include "extendedfilterproxymodel.h"
#include "jsontablemodel.h"
#include "networkmanagerwrapper.h"
#include "permissionsaware.h"
#include "requesttablemodel.h"

#include <QMap>
#include <QModelIndex>
#include <QNetworkRequest>
#include <QString>
#include <QWidget>

#include <memory>

class EditDialog;
class QAbstractItemDelegate;

namespace Ui {
class SimpleViewWidget;
}

// A table over one server collection with add, edit, copy, delete, refresh,
// search and print. It knows nothing of the records: the columns, the
// editor and the permission node come from whoever builds it. Every write
// goes to the server at once, is waited for and is followed by a reload of
// the whole list; an editor whose record the server did not take comes back
// as it was.
class SimpleViewWidget : public QWidget, public PermissionsAware
{
    Q_OBJECT

public:
    enum Feature {
        AddFeature = 1,
        EditFeature = 2,
        RemoveFeature = 4,
        PrintFeature = 8,
        CopyFeature = 16,
        AllFeatures = 0xFFFF
    };
    Q_DECLARE_FLAGS(Features, Feature)
    Q_FLAG(Features)

    class Builder;

    explicit SimpleViewWidget(QWidget *parent = nullptr);
    ~SimpleViewWidget() override;

    void setEndpoint(const QString &endpoint);
    void setRequest(const QNetworkRequest &request);
    // Applied to the model at the next reload.
    void setHeaders(const JsonTableModel::Headers &headers);
    // Not owned.
    void setEditDialog(EditDialog *dialog);
    // Installed at once; not owned.
    void setDelegateForColumn(int column, QAbstractItemDelegate *delegate);
    // Sorts now and again after every load.
    void sort(int column, Qt::SortOrder order);
    void setFeatures(Features features);
    Features getFeatures() const { return features; }

public slots:
    void add();
    void edit(const QModelIndex &index);
    void duplicate();
    void remove();
    void update();
    void print();
    void handlePermissionsUpdate();

    virtual void handleAdd();
    virtual void handleEdit(const QModelIndex &index);
    virtual void handleDuplicate(const QModelIndex &index);
    virtual void handleRemove(int id);
    virtual void handleUpdate();
    virtual void handlePrint();
    virtual void handleSearch(const QString &text);

    void refreshFeatures(SimpleViewWidget::Features features);

protected:
    // The collection's path as the write URLs start with it.
    QString writeUrl() const;
    // Runs the editor until the server takes its record (a new one for id
    // 0, else a replacement of record `id`) or the user cancels.
    bool runEditor(int id);
    void afterLoad();

    Ui::SimpleViewWidget *ui;
    RequestTableModel model;
    ExtendedFilterProxyModel proxy;
    NetworkManagerWrapper manager;
    QNetworkRequest request;
    JsonTableModel::Headers headers;
    QString endpoint;
    EditDialog *editDialog = nullptr;
    Features features = AllFeatures;
    int sortColumn = -1;
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SimpleViewWidget::Features)

// Assembles a list window step by step; build() hands the widget over.
class SimpleViewWidget::Builder
{
public:
    Builder();

    static std::unique_ptr<Builder> create();

    Builder *withTitle(const QString &title);
    Builder *withEndpoint(const QString &endpoint);
    Builder *withRequest(const QNetworkRequest &request);
    Builder *withHeaders(const JsonTableModel::Headers &headers);
    Builder *withEditDialog(EditDialog *dialog);
    // The list's table takes ownership of the delegates.
    Builder *withItemDelegates(const QMap<int, QAbstractItemDelegate *> &delegates);
    Builder *withFeatures(SimpleViewWidget::Features features);
    Builder *sortBy(int column, Qt::SortOrder order);
    // The permission node that guards the window (a keyword from C++20 on;
    // the project is C++17).
    Builder *requires(const QString &node);

    // The caller owns the widget; the builder never frees it.
    SimpleViewWidget *build();

private:
    SimpleViewWidget *widget;
};
