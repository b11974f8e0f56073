#include "userswidget.h"

#include "ui_userswidget.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QNetworkReply>
#include <QRegularExpression>

#include <utility>

UsersWidget::UsersWidget(QWidget *parent)
    : RecordListWidget(parent)
    , ui(new Ui::UsersWidget)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Пользователи"));
    setEndpoint(QStringLiteral("users"));
    setPermissionNode(QStringLiteral("users"));

    usersModel.setHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                           {QStringLiteral("Ф И О"), QStringLiteral("name")},
                           {QStringLiteral("Пароль"), QStringLiteral("password")},
                           {QStringLiteral("Должность"), QStringLiteral("position")},
                           {QStringLiteral("RV"), QStringLiteral("rv")},
                           {QStringLiteral("RV0"), QStringLiteral("rv0")}});
    proxy.setFilterKeyColumn(-1);
    proxy.setSourceModel(&usersModel);
    ui->usersTableView->setModel(&proxy);
    setRecords(ui->usersTableView, &editDialog,
               {ui->addButton, ui->editButton, ui->removeButton, ui->copyButton, ui->refreshButton});
    ui->usersTableView->installEventFilter(this);
    ui->permissionsTableView->setModel(&permissionsModel);

    connect(ui->searchLineEdit, &QLineEdit::textChanged, this, &UsersWidget::search);
    connect(ui->usersTableView->horizontalHeader(), &QHeaderView::sortIndicatorChanged,
            ui->usersTableView, &QTableView::sortByColumn);
    connect(ui->usersTableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &UsersWidget::select);
    connect(&usersModel, &UsersTableModel::cellEdited, this, &UsersWidget::writeRow);
    connect(&permissionsModel, &QAbstractItemModel::dataChanged, this,
            &UsersWidget::writePermissions);
}

UsersWidget::~UsersWidget()
{
    // The views outlive the models held by value; detach them first.
    ui->usersTableView->setModel(nullptr);
    ui->permissionsTableView->setModel(nullptr);
    delete ui;
}

bool UsersWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->usersTableView && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        // Clears "rv" or "rv0" to null; the model ignores the other columns.
        proxy.setData(ui->usersTableView->currentIndex(), QVariant(), Qt::EditRole);
    }
    return RawViewWidget::eventFilter(watched, event);
}

void UsersWidget::fromJson(const QJsonDocument &document)
{
    if (writing || !unsent.isEmpty())
        return;
    if (QWidget *editor = openEditor()) {
        // What is typed there stays; the list comes in once it is closed,
        // unless its commit made a change, which another reload follows.
        heldList = document;
        connect(editor, &QObject::destroyed, this, &UsersWidget::applyHeldList,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        return;
    }
    heldList.reset();
    usersModel.setJson(document);
    ui->usersTableView->sortByColumn(0, Qt::AscendingOrder);
    keepCurrentUser();
    // Last: selecting a row moves the current cell, which closes its editor.
    reopenRefusedCell();
}

void UsersWidget::keepCurrentUser()
{
    // The reload drops the selection, but the rights shown beside the list
    // must stay those of a user who is still in it, as the server has him
    // now: a toggle writes the whole user back, and a stale copy would
    // restore an old name or password, or land on another user's row.
    if (currentUser.isEmpty())
        return;
    const int id = currentUser.value(QStringLiteral("id")).toInt();
    for (int row = 0; row < usersModel.rowCount(); ++row) {
        if (usersModel.objectAt(row).value(QStringLiteral("id")).toInt() == id) {
            showUser(row);
            ui->usersTableView->selectRow(proxy.mapFromSource(usersModel.index(row, 0)).row());
            return;
        }
    }
    currentUser = QJsonObject();
    currentRow = -1;
    permissionsModel.setPermissionsObject(QJsonObject());
}

void UsersWidget::select(const QItemSelection &selected)
{
    if (selected.isEmpty())
        return;
    showUser(proxy.mapToSource(selected.indexes().first()).row());
}

void UsersWidget::showUser(int row)
{
    currentRow = row;
    currentUser = usersModel.objectAt(row);
    permissionsModel.setPermissionsObject(
        currentUser.value(QStringLiteral("permissions")).toObject());
    ui->permissionsTableView->resizeColumnsToContents();
}

void UsersWidget::search(const QString &text)
{
    // The text is a pattern, matched case-sensitively. One the user has not
    // finished ("(") matches nothing until it is whole again.
    QRegularExpression pattern(text);
    if (!pattern.isValid())
        pattern.setPattern(QStringLiteral("(?!)"));
    proxy.setFilterRegularExpression(pattern);
}

void UsersWidget::applyHeldList()
{
    if (heldList)
        fromJson(*std::exchange(heldList, std::nullopt));
}

QWidget *UsersWidget::openEditor() const
{
    // An editor opens on the current cell, by a key, a double click or
    // reopenRefusedCell.
    return ui->usersTableView->indexWidget(ui->usersTableView->currentIndex());
}

void UsersWidget::writeRow(const QModelIndex &cell)
{
    const QJsonObject user = usersModel.objectAt(cell.row());
    if (cell.row() == currentRow)
        currentUser = user;
    enqueue({user, cell.column(), cell.data().toString()});
}

void UsersWidget::enqueue(const Change &change)
{
    unsent.append(change);
    // Sent once the view's callback that made the change has returned.
    QMetaObject::invokeMethod(this, &UsersWidget::writeNext, Qt::QueuedConnection);
}

void UsersWidget::writeNext()
{
    if (writing || unsent.isEmpty())
        return;
    const Change change = unsent.takeFirst();
    writing = true;
    const int id = change.user.value(QStringLiteral("id")).toInt();
    QNetworkReply *reply = writer.putUrl(recordUrl(id), QJsonDocument(change.user), true, false);
    // After the transport's own slot, which has shown the failure box.
    connect(reply, &QNetworkReply::finished, this, [this, reply, change] { written(reply, change); });
}

void UsersWidget::written(QNetworkReply *reply, const Change &change)
{
    writing = false;
    // The reload shows the server's value again; what was typed waits in the
    // cell's editor for the user to send it once more or to drop it. That is
    // the cell edited, wherever the current cell has gone since (a click on
    // another cell commits the edit after moving it).
    if (NetworkManagerWrapper::outcome(reply) != NetworkManagerWrapper::Outcome::Done
        && change.column >= 0)
        refusedCell = {change.user.value(QStringLiteral("id")).toInt(), change.column, change.typed};
    reply->deleteLater();
    if (unsent.isEmpty())
        handleUpdate();
    else
        writeNext();
}

void UsersWidget::reopenRefusedCell()
{
    const RefusedCell cell = std::exchange(refusedCell, RefusedCell());
    if (cell.userId == 0)
        return;
    for (int row = 0; row < usersModel.rowCount(); ++row) {
        if (usersModel.objectAt(row).value(QStringLiteral("id")).toInt() != cell.userId)
            continue;
        const QModelIndex index = proxy.mapFromSource(usersModel.index(row, cell.column));
        QTableView *view = ui->usersTableView;
        view->setCurrentIndex(index);
        view->edit(index);
        if (auto *editor = qobject_cast<QLineEdit *>(view->indexWidget(index)))
            editor->setText(cell.text);
        return;
    }
}

void UsersWidget::writePermissions()
{
    if (currentUser.isEmpty())
        return;
    currentUser.insert(QStringLiteral("permissions"), permissionsModel.getPermissionsObject());
    // Selecting the row again shows the new rights even before the reload,
    // and a cell typed in the row meanwhile sends them along.
    usersModel.setObjectAt(currentRow, currentUser);
    enqueue({currentUser, -1, QString()});
}
