#pragma once

#include "permissionstablemodel.h"
#include "recordlistwidget.h"
#include "usereditdialog.h"
#include "userstablemodel.h"

#include <QJsonObject>
#include <QSortFilterProxyModel>

class QItemSelection;

namespace Ui {
class UsersWidget;
}

// The user accounts: a list with add, copy, edit and delete through the user
// editor, the per-user fields "rv" and "rv0" typed or cleared in place, and
// beside it the rights of the selected user, node by node. Every change goes
// to the server at once and the list is reloaded after it; a typed value the
// server did not take comes back in its cell's editor.
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
};
