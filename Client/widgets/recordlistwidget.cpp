#include "recordlistwidget.h"

#include "commonselectordialog.h"
#include "editdialog.h"
#include "global.h"
#include "saveloop.h"

#include <QAbstractButton>
#include <QAbstractItemDelegate>
#include <QItemSelectionModel>
#include <QJsonObject>
#include <QNetworkReply>
#include <QTableView>

RecordListWidget::RecordListWidget(QWidget *parent)
    : RawViewWidget(parent)
{
}

void RecordListWidget::setRecords(QTableView *view, EditDialog *editor, const Buttons &buttons)
{
    recordsView = view;
    recordEditor = editor;
    connect(buttons.add, &QAbstractButton::clicked, this, &RecordListWidget::add);
    connect(buttons.edit, &QAbstractButton::clicked, this, &RecordListWidget::edit);
    connect(buttons.remove, &QAbstractButton::clicked, this, &RecordListWidget::remove);
    connect(buttons.copy, &QAbstractButton::clicked, this, &RecordListWidget::duplicate);
    connect(buttons.refresh, &QAbstractButton::clicked, this, &RecordListWidget::handleUpdate);
    connect(view, &QAbstractItemView::doubleClicked, this, &RecordListWidget::edit);
}

QModelIndex RecordListWidget::selectedRow() const
{
    const QModelIndexList rows = recordsView->selectionModel()->selectedRows(0);
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

void RecordListWidget::setDelegates(QTableView *view,
                                    const QMap<int, QAbstractItemDelegate *> &delegates)
{
    for (auto it = delegates.cbegin(); it != delegates.cend(); ++it) {
        it.value()->setParent(view);
        view->setItemDelegateForColumn(it.key(), it.value());
    }
}

QUrl RecordListWidget::collectionUrl() const
{
    return QUrl(Global::endpoint(endpoint));
}

QUrl RecordListWidget::recordUrl(int id) const
{
    return QUrl(Global::endpoint(QStringLiteral("%1/%2").arg(endpoint).arg(id)));
}

SaveLoop::Result RecordListWidget::runEditor(const QUrl &url, QNetworkAccessManager::Operation operation)
{
    return SaveLoop::runWrite(
        *recordEditor, [this] { return recordEditor->getJson().object(); }, sender(), operation,
        url, collectionUrl(), [this] { handleUpdate(); });
}

void RecordListWidget::add()
{
    recordEditor->reset();
    runEditor(collectionUrl(), QNetworkAccessManager::PostOperation);
}

void RecordListWidget::duplicate()
{
    const QModelIndex row = selectedRow();
    if (!row.isValid())
        return;
    recordEditor->fromModel(row);
    runEditor(collectionUrl(), QNetworkAccessManager::PostOperation);
}

void RecordListWidget::edit()
{
    const QModelIndex row = selectedRow();
    if (!row.isValid())
        return;
    // Read before exec: the reload after a failed save may put another
    // record in this row.
    const int id = row.data().toInt();
    recordEditor->fromModel(row);
    runEditor(recordUrl(id), QNetworkAccessManager::PutOperation);
}

void RecordListWidget::remove()
{
    const QModelIndex row = selectedRow();
    if (!row.isValid())
        return;
    const int id = row.data().toInt();
    if (!Global::confirm(QStringLiteral("Удалить запись?")))
        return;
    writeAndReload(QNetworkAccessManager::DeleteOperation, recordUrl(id));
}

SaveLoop::Attempt RecordListWidget::send(QNetworkAccessManager::Operation verb, const QUrl &url,
                                        const QJsonDocument &body)
{
    return SaveLoop::write(writer, verb, url, body);
}

SaveLoop::Sender RecordListWidget::sender()
{
    return [this](QNetworkAccessManager::Operation verb, const QUrl &url,
                  const QJsonDocument &body) { return send(verb, url, body); };
}

SaveLoop::Attempt RecordListWidget::writeAndReload(QNetworkAccessManager::Operation verb,
                                                  const QUrl &url, const QJsonDocument &body)
{
    const SaveLoop::Attempt attempt = send(verb, url, body);
    handleUpdate();
    return attempt;
}

QUrl RecordListWidget::linksUrl(int id, const QString &sub) const
{
    return QUrl(Global::endpoint(QStringLiteral("%1/%2/%3").arg(endpoint, QString::number(id), sub)));
}

void RecordListWidget::link(int id, const QString &sub, const QString &bodyKey,
                            CommonSelectorDialog &picker, const QString &offered)
{
    const QUrl links = linksUrl(id, sub);
    // A link makes no record of its own: the linked items stand for the
    // list, each carrying its id under the body's key, so that a link whose
    // answer was lost is found there and not sent twice. The picker offers
    // only items not linked yet, so a link to the chosen one found after the
    // write is the write's own: no ids need be known before it (knownIds
    // stays unset).
    SaveLoop::Creation linked;
    linked.list = links.toString();
    linked.rows = [&]() -> SaveLoop::Rows {
        const QUrl listed(links.toString() + QStringLiteral("?availableOnly=false"));
        const SaveLoop::Rows items = SaveLoop::readRows(listed);
        if (!items)
            return items;
        QJsonArray rows;
        for (const QJsonValue &row : *items) {
            const int linkedId = row.toObject().value(QStringLiteral("id")).toInt();
            rows.append(QJsonObject{{QStringLiteral("id"), linkedId}, {bodyKey, linkedId}});
        }
        return rows;
    };

    picker.setEndpoint(offered);
    picker.refresh();
    // The picker comes back after a failure with the item that was chosen.
    const auto reload = [&] {
        handleUpdate();
        const int chosen = picker.getSelectedId();
        auto reselect = std::make_shared<QMetaObject::Connection>();
        *reselect = connect(&picker, &SelectorDialog::refreshFinished, this, [&picker, chosen, reselect] {
            QObject::disconnect(*reselect);
            picker.setSelectedId(chosen);
        });
        picker.refresh();
    };
    SaveLoop::run(
        picker, [&] { return QJsonObject{{bodyKey, picker.getSelectedId()}}; },
        SaveLoop::sendTo(sender(), QNetworkAccessManager::PostOperation, links), reload, &linked);
}

void RecordListWidget::unlink(int id, const QString &sub, int linkedId)
{
    writeAndReload(QNetworkAccessManager::DeleteOperation,
                   QUrl(linksUrl(id, sub).toString() + QLatin1Char('/') + QString::number(linkedId)));
}
