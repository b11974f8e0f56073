#include "userswidget.h"

#include "loginmanager.h"
#include "ui_userswidget.h"

#include <QAbstractItemDelegate>
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
    // A list requested before the last answer may lack what the server now
    // holds: the reload sent then takes the place of any such list. The
    // editor's writes are followed by a reload of their own.
    connect(&changes, &WriteQueue::idled, this, [this] {
        if (std::exchange(reloadWhenIdle, false))
            handleUpdate();
    });
    connect(&changes, &WriteQueue::finishing, this, &UsersWidget::finishEditing);
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
    // Read after every write, the lost ones too: it tells what they came to.
    if (!replyFailed())
        unsettled.clear();
    for (int row = 0; row < usersModel.rowCount(); ++row) {
        const QJsonObject user = usersModel.objectAt(row);
        stored.insert(user.value(idKey).toInt(), user);
    }
    ui->usersTableView->sortByColumn(0, Qt::AscendingOrder);
    keepCurrentUser();
    // Last: selecting a row moves the current cell, which closes its editor.
    reopenRefusedCell();
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

SaveLoop::Attempt UsersWidget::send(QNetworkAccessManager::Operation verb, const QUrl &url,
                                    const QJsonDocument &body)
{
    Change change;
    change.verb = verb;
    // "users" creates; "users/<id>" is the user written or deleted.
    change.userId = verb == QNetworkAccessManager::PostOperation ? 0 : url.fileName().toInt();
    change.fields = body.object();
    change.whole = false;
    // A write never sent was not stored: the editor comes back, as after a refusal.
    SaveLoop::Attempt result;
    changes.run(writeOf(change, [&result](const SaveLoop::Attempt &attempt) { result = attempt; }));
    return result;
}

QString UsersWidget::labelOf(const Change &change) const
{
    const QString name = change.userId > 0
                             ? stored.value(change.userId).value(QStringLiteral("name")).toString()
                             : change.fields.value(QStringLiteral("name")).toString();
    if (change.verb == QNetworkAccessManager::PostOperation)
        return QStringLiteral("новый пользователь «%1»").arg(name);
    if (change.verb == QNetworkAccessManager::DeleteOperation)
        return QStringLiteral("%1: удаление").arg(name);
    QStringList what;
    for (int column = 0; column < usersModel.columnCount(); ++column) {
        if (change.fields.contains(usersModel.headerData(column, Qt::Horizontal, Qt::UserRole).toString()))
            what << usersModel.headerData(column, Qt::Horizontal).toString();
    }
    if (!change.node.isEmpty())
        what << QStringLiteral("право «%1» (%2)")
                    .arg(PermissionsTableModel::translations.value(change.node, change.node),
                         change.bit == 1 ? QStringLiteral("чтение") : QStringLiteral("запись"));
    return QStringLiteral("%1: %2").arg(name, what.join(QStringLiteral(", ")));
}

WriteQueue::Write UsersWidget::writeOf(const Change &change,
                                       const std::function<void(const SaveLoop::Attempt &)> &then)
{
    Change made = change;
    made.madeUnder = LoginManager::instance()->getToken();
    WriteQueue::Write write;
    write.verb = made.verb;
    write.url = made.userId > 0 ? recordUrl(made.userId) : collectionUrl();
    write.body = [this, made]() -> std::optional<QJsonDocument> {
        if (!made.whole)
            return QJsonDocument(made.fields);
        if (!settle(made.userId))
            return std::nullopt;
        return QJsonDocument(applied(stored.value(made.userId), made));
    };
    write.answered = [this, made, then](QNetworkReply *reply) {
        std::optional<SaveLoop::Attempt> attempt;
        if (reply)
            attempt = SaveLoop::take(reply);
        written(attempt, made);
        if (then)
            then(attempt.value_or(SaveLoop::Attempt()));
    };
    write.label = labelOf(made);
    return write;
}

void UsersWidget::enqueue(const Change &change)
{
    reloadWhenIdle = true;
    changes.enqueue(writeOf(change));
}

bool UsersWidget::settle(int userId)
{
    // A user the last list did not hold has no record to build on: a write
    // of the change alone would blank the rest of him.
    if (!unsettled.contains(userId))
        return stored.contains(userId);
    // Waited for inside the queue, which sends nothing else meanwhile.
    const std::optional<QJsonDocument> user = SaveLoop::read(recordUrl(userId));
    if (!user || !user->isObject() || user->object().value(idKey).toInt() != userId)
        return false;
    stored.insert(userId, user->object());
    unsettled.remove(userId);
    return true;
}

void UsersWidget::written(const std::optional<SaveLoop::Attempt> &attempt, const Change &change)
{
    using Outcome = NetworkManagerWrapper::Outcome;
    if (attempt && attempt->outcome == Outcome::Done) {
        if (change.verb == QNetworkAccessManager::DeleteOperation) {
            stored.remove(change.userId);
        } else if (change.userId > 0) {
            QJsonObject user = applied(stored.value(change.userId), change);
            if (attempt->answer.value(idKey).toInt() == change.userId) {
                for (auto it = attempt->answer.constBegin(); it != attempt->answer.constEnd(); ++it)
                    user.insert(it.key(), it.value());
                // The server's whole record: what it holds is known again.
                unsettled.remove(change.userId);
            }
            stored.insert(change.userId, user);
        }
        return;
    }
    // Without an answer it may have been stored all the same: the copy
    // before it is no ground for the next write of this user.
    if (attempt && attempt->outcome == Outcome::Unanswered && change.userId > 0)
        unsettled.insert(change.userId);
    if (attempt && change.column >= 0 && !WriteQueue::isFinishing()) {
        // The reload shows the server's value again; what was typed waits in
        // the cell's editor for the user to send it once more or to drop it.
        // That is the cell edited, wherever the current cell has gone since
        // (a click on another cell commits the edit after moving it).
        refusedCell = {change.userId, change.column, change.typed, change.madeUnder};
    }
}

void UsersWidget::reopenRefusedCell()
{
    const RefusedCell cell = std::exchange(refusedCell, RefusedCell());
    // Only to the user who typed it, in the same sign-in: a value refused
    // under one user is never offered to the next.
    if (cell.userId == 0 || cell.madeUnder != LoginManager::instance()->getToken())
        return;
    const int row = rowOfUser(cell.userId);
    if (row < 0)
        return;
    const QModelIndex index = proxy.mapFromSource(usersModel.index(row, cell.column));
    QTableView *view = ui->usersTableView;
    view->setCurrentIndex(index);
    view->edit(index);
    auto *editor = qobject_cast<QLineEdit *>(view->indexWidget(index));
    if (!editor)
        return;
    editor->setText(cell.text);
    reopenedCell = cell;
    // Not a connection to the editor's end: the editor may outlive this
    // window's members, as the window's own children go after them.
    reopenedEditor = editor;
}

void UsersWidget::finishEditing()
{
    // Nor does a refused value come back once its maker is leaving: it
    // would wait in its cell for the next user to send it.
    refusedCell = RefusedCell();
    QWidget *editor = openEditor();
    if (!editor)
        return;
    QTableView *view = ui->usersTableView;
    const QModelIndex cell = view->currentIndex();
    const auto *line = qobject_cast<QLineEdit *>(editor);
    const QModelIndex source = proxy.mapToSource(cell);
    const bool refused = editor == reopenedEditor && line && line->text() == reopenedCell.text
                         && source.column() == reopenedCell.column
                         && usersModel.objectAt(source.row()).value(idKey).toInt() == reopenedCell.userId;
    QAbstractItemDelegate *delegate = view->itemDelegateForIndex(cell);
    if (!refused)
        emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}
