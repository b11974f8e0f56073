#include "export1ctablemodel.h"

#include "global.h"
#include "networkmanagerwrapper.h"

#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QUrl>

#include <memory>

Export1CTableModel::Export1CTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

Export1CTableModel::~Export1CTableModel() = default;

int Export1CTableModel::rowCount(const QModelIndex &) const
{
    return int(streams.size());
}

int Export1CTableModel::columnCount(const QModelIndex &) const
{
    return 3;
}

QVariant Export1CTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= streams.size())
        return {};
    const QJsonObject stream = streams.at(index.row()).toObject();
    // toInt gives 0 for an id that is missing or not a whole number.
    if (role == Qt::DisplayRole && index.column() == 0)
        return stream.value("id").toInt();
    // The label is the stream's line of the 1C file as well.
    if (role == Qt::DisplayRole && index.column() == 1)
        return QStringLiteral("%1 - %2 | %3")
            .arg(Global::formatDate(stream.value("startDate").toString()),
                 Global::formatDate(stream.value("endDate").toString()),
                 oneLine(stream.value("name").toString()));
    if (role == Qt::CheckStateRole && index.column() == 2)
        return checkedRows.contains(index.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool Export1CTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != 2)
        return QAbstractTableModel::setData(index, value, role);
    if (!checkedRows.remove(index.row()))
        checkedRows.insert(index.row());
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

QVariant Export1CTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return QStringLiteral("ID");
    if (section == 1)
        return QStringLiteral("Поток");
    if (section == 2)
        return {};
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags Export1CTableModel::flags(const QModelIndex &index) const
{
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    return index.column() == 2 ? base | Qt::ItemIsUserCheckable : base;
}

void Export1CTableModel::select(const QVariant &date)
{
    beginResetModel();
    checkedRows.clear();
    NetworkManagerWrapper network;
    const QString path = date.isNull()
                             ? QStringLiteral("streams")
                             : QStringLiteral("streams?date=%1")
                                   .arg(date.toDate().toString(QStringLiteral("dd.MM.yyyy")));
    const std::unique_ptr<QNetworkReply> reply(network.getUrl(QUrl(Global::endpoint(path)), true, true));
    streams = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply.get())).array();
    endResetModel();
}

QString Export1CTableModel::oneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}
