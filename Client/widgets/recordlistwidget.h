#pragma once

#include "networkmanagerwrapper.h"
#include "rawviewwidget.h"

#include <QMap>
#include <QModelIndex>
#include <QUrl>

class EditDialog;
class QAbstractButton;
class QAbstractItemDelegate;
class QTableView;

// Base of the administration windows that list one collection (their
// endpoint) and write its records one at a time: added, copied, edited and
// deleted through an editor, and linked to records of other collections.
// Every write goes to the server at once and its reply reloads the list; the
// list is never written as a whole.
class RecordListWidget : public RawViewWidget
{
    Q_OBJECT

public:
    explicit RecordListWidget(QWidget *parent = nullptr);

    QJsonDocument toJson() override { return QJsonDocument(); }

public slots:
    // None sends anything when the editor is cancelled, nor, but for add,
    // without a selected row.
    void add();
    void edit();
    void remove();
    virtual void duplicate();

protected:
    struct Buttons
    {
        QAbstractButton *add, *edit, *remove, *copy, *refresh;
    };
    // The view listing the records, their editor and the list's buttons, all
    // the subclass's; a double click on a row edits it.
    void setRecords(QTableView *view, EditDialog *editor, const Buttons &buttons);
    // The selected row of the records' view, column 0; invalid when none.
    QModelIndex selectedRow() const;

    // The view owns the delegates.
    static void setDelegates(QTableView *view, const QMap<int, QAbstractItemDelegate *> &delegates);

    QUrl collectionUrl() const;
    QUrl recordUrl(int id) const;
    // "<endpoint>/<id>/<sub>": POST {bodyKey: linkedId}, or DELETE ".../<linkedId>".
    void link(int id, const QString &sub, const QString &bodyKey, int linkedId);
    void unlink(int id, const QString &sub, int linkedId);

    NetworkManagerWrapper writer;

private:
    QTableView *recordsView = nullptr;
    EditDialog *recordEditor = nullptr;
};
