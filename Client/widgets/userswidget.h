#pragma once

#include "permissionstablemodel.h"
#include "recordlistwidget.h"
#include "usereditdialog.h"
#include "userstablemodel.h"
#include "writequeue.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSet>
#include <QSortFilterProxyModel>

#include <optional>

class QItemSelection;
class QNetworkReply;

namespace Ui {
class UsersWidget;
}

// The user accounts: a list with add, copy, edit and delete through the user
// editor, the per-user fields "rv" and "rv0" typed or cleared in place, and
// beside it the rights of the selected user, node by node. Every change goes
// to the server at once, and the list is reloaded after the last; a typed
// value the server did not take comes back in its cell's editor.
//
// Every write of the window, from a cell, a right or the editor, goes out
// through one queue, in the order made, one at a time. A change is kept as
// what it changes (fields, or one bit of a node) and the user it goes to is
// built when it is sent, from the server's last answer for that user; the
// answers are taken in in the order the writes were sent. So no write
// carries an older copy of a user than the one before it, a list read
// before a change was answered cannot undo it, and a change the server
// refused is never carried by a later one. A list requested before the last
// answered change is dropped: it lands while a change waits, or a newer one
// was sent after the last.
//
// The changes are made inside the views' callbacks (a cell's commit, a check
// box's click), so they are only queued there: a write waiting there, or a
// reload landing there, would delete the editor the view is still using. For
// the same reason a reload never resets the list under an open editor, and
// one that lands while a change is unsent or unanswered is dropped, since it
// lacks the change and the reload after the last change follows.
class UsersWidget : public RecordListWidget
{
    Q_OBJECT

public:
    explicit UsersWidget(QWidget *parent = nullptr);
    ~UsersWidget() override;

    bool eventFilter(QObject *watched, QEvent *event) override;
    void fromJson(const QJsonDocument &document) override;

protected:
    // The editor's writes wait for their turn in the queue.
    SaveLoop::Attempt send(QNetworkAccessManager::Operation verb, const QUrl &url,
                           const QJsonDocument &body) override;

private:
    // One change of one user.
    struct Change
    {
        QNetworkAccessManager::Operation verb = QNetworkAccessManager::PutOperation;
        int userId = 0;      // 0 for a new user
        QJsonObject fields;  // a typed or cleared "rv" or "rv0", or the editor's record
        // Whether the whole user goes, the change applied (in place), or the
        // fields alone (the editor's name, password and position).
        bool whole = true;
        QString node;        // or one bit of a node's mask, set or cleared
        int bit = 0;
        bool on = false;
        int column = -1;     // the cell typed in; -1 for a right
        QString typed;
        QString madeUnder;   // the sign-in it was made in
    };
    static QJsonObject applied(QJsonObject user, const Change &change);
    // The change in the administrator's words, for the box of changes not sent.
    QString labelOf(const Change &change) const;

    void select(const QItemSelection &selected);
    void showUser(int row);
    int rowOfUser(int id) const;
    void search(const QString &text);
    void writeRow(const QModelIndex &cell);
    void writePermission(const QModelIndex &cell);
    WriteQueue::Write writeOf(const Change &change,
                              const std::function<void(const SaveLoop::Attempt &)> &then = {});
    void enqueue(const Change &change);
    // Whether `stored` holds what the server holds for the user, read again
    // if need be; false when it cannot tell or does not hold him.
    bool settle(int userId);
    // `attempt` is the answer to the write of `change`; no value when the
    // write was never sent.
    void written(const std::optional<SaveLoop::Attempt> &attempt, const Change &change);
    // The editor open in the users table; null when none is.
    QWidget *openEditor() const;
    void applyHeldList();
    void keepCurrentUser();
    // After the reload that follows a failed in-place write.
    void reopenRefusedCell();
    // Before the user leaves: what he typed into a cell goes with his
    // credentials, a refused value that came back there is dropped.
    void finishEditing();

    UsersTableModel usersModel;
    PermissionsTableModel permissionsModel;
    QSortFilterProxyModel proxy;
    // The user whose rights are shown; 0 for none.
    int currentUserId = 0;
    Ui::UsersWidget *ui;
    UserEditDialog editDialog;
    // A cell whose typed value the server did not take: user 0 for none.
    struct RefusedCell
    {
        int userId = 0;
        int column = 0;
        QString text;
        QString madeUnder;
    };
    // To be reopened after the next reload.
    RefusedCell refusedCell;
    // Open again with the refused value, in this editor while it lasts.
    RefusedCell reopenedCell;
    QPointer<QWidget> reopenedEditor;
    WriteQueue changes;
    // An in-place change was queued since the last reload.
    bool reloadWhenIdle = false;
    // Each user as the server last answered for him: the last list taken
    // in, which holds every user a change can be made to, then the answers
    // to the writes since.
    QHash<int, QJsonObject> stored;
    // The users a write of whom got no answer since: their copy in `stored`
    // may lack it, and the next write of one is built on a fresh read.
    QSet<int> unsettled;
    // The list of a reload that landed while a cell was being edited.
    std::optional<QJsonDocument> heldList;
};
