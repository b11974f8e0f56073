#include "recordlistwidget.h"

#include "editdialog.h"
#include "global.h"

#include <QAbstractButton>
#include <QAbstractItemDelegate>
#include <QItemSelectionModel>
#include <QJsonObject>
#include <QNetworkReply>
#include <QTableView>

RecordListWidget::RecordListWidget(QWidget *parent)
    : RawViewWidget(parent)
{
    connect(&writer, &QNetworkAccessManager::finished, this, [this](QNetworkReply *reply) {
        reply->deleteLater();
        handleUpdate();
    });
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

void RecordListWidget::add()
{
    recordEditor->reset();
    if (recordEditor->exec() != QDialog::Accepted)
        return;
    writer.postUrl(collectionUrl(), recordEditor->getJson(), true, false);
}

void RecordListWidget::duplicate()
{
    const QModelIndex row = selectedRow();
    if (!row.isValid())
        return;
    recordEditor->fromModel(row);
    if (recordEditor->exec() != QDialog::Accepted)
        return;
    writer.postUrl(collectionUrl(), recordEditor->getJson(), true, false);
}

void RecordListWidget::edit()
{
    const QModelIndex row = selectedRow();
    if (!row.isValid())
        return;
    // Read before exec: a reply arriving during the dialog reloads the list,
    // and the row may then hold another record.
    const int id = row.data().toInt();
    recordEditor->fromModel(row);
    if (recordEditor->exec() != QDialog::Accepted)
        return;
    writer.putUrl(recordUrl(id), recordEditor->getJson(), true, false);
}

void RecordListWidget::remove()
{
    const QModelIndex row = selectedRow();
    if (!row.isValid())
        return;
    const int id = row.data().toInt();
    if (!Global::confirm(QStringLiteral("Удалить запись?")))
        return;
    writer.deleteUrl(recordUrl(id), true, false);
}

void RecordListWidget::link(int id, const QString &sub, const QString &bodyKey, int linkedId)
{
    writer.postUrl(QUrl(Global::endpoint(
                       QStringLiteral("%1/%2/%3").arg(endpoint, QString::number(id), sub))),
                   QJsonDocument(QJsonObject{{bodyKey, linkedId}}), true, false);
}

void RecordListWidget::unlink(int id, const QString &sub, int linkedId)
{
    writer.deleteUrl(QUrl(Global::endpoint(QStringLiteral("%1/%2/%3/%4")
                                               .arg(endpoint, QString::number(id), sub,
                                                    QString::number(linkedId)))),
                     true, false);
}
