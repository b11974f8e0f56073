#pragma once

#include "networkmanagerwrapper.h"
#include "rawviewwidget.h"
#include "saveloop.h"

#include <QMap>
#include <QModelIndex>
#include <QUrl>

class CommonSelectorDialog;
class EditDialog;
class QAbstractButton;
class QAbstractItemDelegate;
class QTableView;

// Base of the administration windows that list one collection (their
// endpoint) and write its records one at a time: added, copied, edited and
// deleted through an editor, and linked to records of other collections.
// Every write goes to the server at once and is waited for; the list is
// reloaded after it, whatever the answer, and is never written as a whole.
// An editor whose record the server did not take comes back as it was.
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
    // "<endpoint>/<id>/<sub>": POST {bodyKey: <the id chosen in the picker,
    // which offers the items at `offered`>}, or DELETE ".../<linkedId>".
    void link(int id, const QString &sub, const QString &bodyKey, CommonSelectorDialog &picker,
              const QString &offered);
    void unlink(int id, const QString &sub, int linkedId);

    // Runs the records' editor until the server takes its record at `url`
    // (POST creates, PUT replaces) or the user cancels.
    SaveLoop::Result runEditor(const QUrl &url, QNetworkAccessManager::Operation operation);
    // Every write of the window, waited for: through `writer` unless the
    // window keeps its writes in an order of its own.
    virtual SaveLoop::Attempt send(QNetworkAccessManager::Operation verb, const QUrl &url,
                                   const QJsonDocument &body);
    // Sends one write and reloads the list, whatever the answer.
    SaveLoop::Attempt writeAndReload(QNetworkAccessManager::Operation verb, const QUrl &url,
                                     const QJsonDocument &body = QJsonDocument());

    NetworkManagerWrapper writer;

private:
    QUrl linksUrl(int id, const QString &sub) const;
    SaveLoop::Sender sender();

    QTableView *recordsView = nullptr;
    EditDialog *recordEditor = nullptr;
};
