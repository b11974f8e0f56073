#include "userswidget.h"

#include "ui_userswidget.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QNetworkReply>
#include <QRegularExpression>

#include <utility>

namespace {
const QString idKey = QStringLiteral("id");
const QString permissionsKey = QStringLiteral("permissions");
}  // namespace

UsersWidget::UsersWidget(QWidget *parent)
    : RecordListWidget(parent)
    , ui(new Ui::UsersWidget)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Пользователи"));
    setEndpoint(QStringLiteral("users"));
    setPermissionNode(QStringLiteral("users"));

    usersModel.setHeaders({{QStringLiteral("ID"), idKey},
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
            &UsersWidget::writePermission);
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
    if (!changes.isIdle())
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
    stored.clear();
    for (int row = 0; row < usersModel.rowCount(); ++row) {
        const QJsonObject user = usersModel.objectAt(row);
        stored.insert(user.value(idKey).toInt(), user);
    }
    ui->usersTableView->sortByColumn(0, Qt::AscendingOrder);
    keepCurrentUser();
    // Last: selecting a row moves the current cell, which closes its editor.
    reopenRefusedCell();
}

void UsersWidget::saved(const QJsonObject &answer)
{
    // The editor's write is an answer for that user too: a change still
    // queued is built on it, not on the list that was read before it.
    const int id = answer.value(idKey).toInt();
    if (id > 0 && stored.contains(id)) {
        QJsonObject user = stored.value(id);
        for (auto it = answer.constBegin(); it != answer.constEnd(); ++it)
            user.insert(it.key(), it.value());
        stored.insert(id, user);
    }
}

int UsersWidget::rowOfUser(int id) const
{
    for (int row = 0; row < usersModel.rowCount(); ++row) {
        if (usersModel.objectAt(row).value(idKey).toInt() == id)
            return row;
    }
    return -1;
}

void UsersWidget::keepCurrentUser()
{
    // The reload drops the selection, but the rights shown beside the list
    // must stay those of a user who is still in it, as the server has him now.
    if (currentUserId == 0)
        return;
    const int row = rowOfUser(currentUserId);
    if (row < 0) {
        currentUserId = 0;
        permissionsModel.setPermissionsObject(QJsonObject());
        return;
    }
    showUser(row);
    ui->usersTableView->selectRow(proxy.mapFromSource(usersModel.index(row, 0)).row());
}

void UsersWidget::select(const QItemSelection &selected)
{
    if (selected.isEmpty())
        return;
    showUser(proxy.mapToSource(selected.indexes().first()).row());
}

void UsersWidget::showUser(int row)
{
    const QJsonObject user = usersModel.objectAt(row);
    currentUserId = user.value(idKey).toInt();
    permissionsModel.setPermissionsObject(user.value(permissionsKey).toObject());
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

QJsonObject UsersWidget::applied(QJsonObject user, const Change &change)
{
    for (auto it = change.fields.constBegin(); it != change.fields.constEnd(); ++it)
        user.insert(it.key(), it.value());
    if (!change.node.isEmpty()) {
        QJsonObject permissions = user.value(permissionsKey).toObject();
        const int mask = permissions.value(change.node).toInt(0);
        permissions.insert(change.node, change.on ? mask | change.bit : mask & ~change.bit);
        user.insert(permissionsKey, permissions);
    }
    return user;
}

void UsersWidget::writeRow(const QModelIndex &cell)
{
    const QJsonObject user = usersModel.objectAt(cell.row());
    const QString key = usersModel.headerData(cell.column(), Qt::Horizontal, Qt::UserRole).toString();
    Change change;
    change.userId = user.value(idKey).toInt();
    change.fields.insert(key, user.value(key));
    change.column = cell.column();
    change.typed = cell.data().toString();
    enqueue(change);
}

void UsersWidget::writePermission(const QModelIndex &cell)
{
    const int row = rowOfUser(currentUserId);
    const int bit = PermissionsTableModel::bitOf(cell.column());
    if (row < 0 || bit == 0)
        return;
    Change change;
    change.userId = currentUserId;
    change.node = permissionsModel.nodeAt(cell.row());
    change.bit = bit;
    change.on = (permissionsModel.getPermissionsObject().value(change.node).toInt(0) & bit) != 0;
    // Selecting the row again shows the new rights even before the reload.
    QJsonObject user = usersModel.objectAt(row);
    user.insert(permissionsKey, permissionsModel.getPermissionsObject());
    usersModel.setObjectAt(row, user);
    enqueue(change);
}

void UsersWidget::enqueue(const Change &change)
{
    changes.enqueue({recordUrl(change.userId),
                     [this, change] {
                         return QJsonDocument(applied(stored.value(change.userId), change));
                     },
                     [this, change](QNetworkReply *reply) { written(reply, change); }});
}

void UsersWidget::written(QNetworkReply *reply, const Change &change)
{
    if (NetworkManagerWrapper::outcome(reply) == NetworkManagerWrapper::Outcome::Done) {
        QJsonObject user = applied(stored.value(change.userId), change);
        const QJsonObject answer = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply)).object();
        if (answer.value(idKey).toInt() == change.userId) {
            for (auto it = answer.constBegin(); it != answer.constEnd(); ++it)
                user.insert(it.key(), it.value());
        }
        stored.insert(change.userId, user);
    } else if (change.column >= 0) {
        // The reload shows the server's value again; what was typed waits in
        // the cell's editor for the user to send it once more or to drop it.
        // That is the cell edited, wherever the current cell has gone since
        // (a click on another cell commits the edit after moving it).
        refusedCell = {change.userId, change.column, change.typed};
    }
    // A list requested before this answer may lack what the server now
    // holds: the reload sent now takes the place of any such list.
    if (changes.isIdle())
        handleUpdate();
}

void UsersWidget::reopenRefusedCell()
{
    const RefusedCell cell = std::exchange(refusedCell, RefusedCell());
    if (cell.userId == 0)
        return;
    const int row = rowOfUser(cell.userId);
    if (row < 0)
        return;
    const QModelIndex index = proxy.mapFromSource(usersModel.index(row, cell.column));
    QTableView *view = ui->usersTableView;
    view->setCurrentIndex(index);
    view->edit(index);
    if (auto *editor = qobject_cast<QLineEdit *>(view->indexWidget(index)))
        editor->setText(cell.text);
}
