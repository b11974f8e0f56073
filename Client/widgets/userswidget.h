#pragma once

#include "permissionstablemodel.h"
#include "recordlistwidget.h"
#include "usereditdialog.h"
#include "userstablemodel.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
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
// to the server at once, one after another in the order made, and the list
// is reloaded after the last; a typed value the server did not take comes
// back in its cell's editor.
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

private:
    void select(const QItemSelection &selected);
    void showUser(int row);
    void search(const QString &text);
    void writeRow(const QModelIndex &cell);
    void writePermissions();
    // A change of one user: the whole user as the list holds it with the
    // change made, and the cell typed in (column -1 for the rights).
    struct Change
    {
        QJsonObject user;
        int column = -1;
        QString typed;
    };
    void enqueue(const Change &change);
    void writeNext();
    void written(QNetworkReply *reply, const Change &change);
    // The editor open in the users table; null when none is.
    QWidget *openEditor() const;
    void applyHeldList();
    void keepCurrentUser();
    // After the reload that follows a failed in-place write.
    void reopenRefusedCell();

    UsersTableModel usersModel;
    PermissionsTableModel permissionsModel;
    QSortFilterProxyModel proxy;
    // A copy of the selected user and its row in `usersModel`; the
    // permission toggles write this copy.
    QJsonObject currentUser;
    int currentRow = -1;
    Ui::UsersWidget *ui;
    UserEditDialog editDialog;
    // The cell whose typed value the server did not take: user 0 for none.
    struct RefusedCell
    {
        int userId = 0;
        int column = 0;
        QString text;
    };
    RefusedCell refusedCell;
    QList<Change> unsent;
    bool writing = false;  // a change sent and not yet answered
    // The list of a reload that landed while a cell was being edited.
    std::optional<QJsonDocument> heldList;
};
