#include "jsontablemodel.h"

#include "global.h"

#include <QJsonArray>
#include <QVarLengthArray>

#include <algorithm>

JsonTableModel::JsonTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int JsonTableModel::rowCount(const QModelIndex &) const
{
    return storedRowCount;
}

int JsonTableModel::columnCount(const QModelIndex &) const
{
    return storedColumnCount;
}

void JsonTableModel::setJson(const QJsonDocument &json)
{
    document = json;
    beginResetModel();
    rows.clear();

    QJsonArray source;
    if (json.isObject()) {
        storedRowCount = 1;
        source.append(json.object());
    } else {
        source = json.array();
        storedRowCount = int(source.size());
    }

    if (storedRowCount != 0) {
        storedColumnCount = order.isEmpty() ? int(source.first().toObject().size())
                                            : int(order.size());
        rows.reserve(storedRowCount);
        for (const QJsonValue &value : std::as_const(source))
            rows.append(value.toObject());
    }
    takeFirstRowKeys();
    endResetModel();
}

QJsonDocument JsonTableModel::getJson() const
{
    return document;
}

void JsonTableModel::setHeaders(const Headers &headers)
{
    QStringList keys;
    keys.reserve(headers.size());
    for (qsizetype i = 0; i < headers.size(); ++i) {
        setHeaderData(int(i), Qt::Horizontal, headers.at(i).first, Qt::DisplayRole);
        keys.append(headers.at(i).second);
    }
    setOrder(keys);
}

void JsonTableModel::setOrder(const QStringList &newOrder)
{
    order = newOrder;
    memberColumns.clear();
    orderParts.clear();
    orderParts.reserve(order.size());
    for (const QString &key : std::as_const(order))
        orderParts.append(key.split(QLatin1Char('.')));
}

bool JsonTableModel::setHeaderData(int section, Qt::Orientation orientation,
                                   const QVariant &value, int role)
{
    if (section < 0)
        return false;
    if (role == Qt::DisplayRole) {
        while (labels.size() <= section)
            labels.append(QString());
        labels[section] = value.toString();
        if (section < storedColumnCount)
            emit headerDataChanged(orientation, section, section);
        return true;
    }
    if (role == Qt::TextAlignmentRole) {
        alignments.insert(section, static_cast<Qt::AlignmentFlag>(value.toInt()));
        return true;
    }
    return false;
}

QString JsonTableModel::firstRowKey(int position) const
{
    return position >= 0 && position < firstRowKeys.size() ? firstRowKeys.at(position) : QString();
}

void JsonTableModel::takeFirstRowKeys()
{
    memberColumns.clear();
    firstRowKeys = rows.isEmpty() ? QStringList() : rows.first().keys();
    firstRowKeyParts.clear();
    for (const QString &key : std::as_const(firstRowKeys))
        firstRowKeyParts.append(key.isEmpty() ? QStringList() : key.split(QLatin1Char('.')));
}

const QStringList &JsonTableModel::keyPartsAt(int column) const
{
    static const QStringList none;
    if (column < 0)
        return none;
    if (column < orderParts.size())
        return orderParts.at(column);
    return column < firstRowKeyParts.size() ? firstRowKeyParts.at(column) : none;
}

namespace {
QVariant toVariant(const QString &key)
{
    return key.isEmpty() ? QVariant() : QVariant(key);
}
}  // namespace

QVariant JsonTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return QAbstractTableModel::headerData(section, orientation, role);

    switch (role) {
    case Qt::DisplayRole:
        if (section >= 0 && section < labels.size())
            return labels.at(section);
        if (section >= 0 && section < order.size())
            return order.at(section);
        return toVariant(firstRowKey(section));
    case Qt::UserRole:
        // A section beyond a non-empty order is outside the model's columns.
        if (!order.isEmpty())
            return section >= 0 && section < order.size() ? QVariant(order.at(section))
                                                          : QVariant();
        return toVariant(firstRowKey(section));
    case Qt::TextAlignmentRole:
        return int(alignments.value(section, Qt::AlignLeft));
    default:
        return QAbstractTableModel::headerData(section, orientation, role);
    }
}

QVariant JsonTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.column() < 0 || index.row() >= rows.size())
        return QVariant();

    if (role == Qt::DisplayRole) {
        const QStringList &parts = keyPartsAt(index.column());
        if (parts.isEmpty())
            return QVariant();
        return Global::traverseJson(rows.at(index.row()), parts).toVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        const auto it = alignments.constFind(index.column());
        const int horizontal = it != alignments.cend() ? int(it.value()) : int(Qt::AlignLeft);
        return horizontal | int(Qt::AlignVCenter);
    }
    return QVariant();
}

QJsonObject JsonTableModel::objectAt(int row) const
{
    if (row < 0 || row >= storedRowCount || row >= rows.size())
        return QJsonObject();
    return rows.at(row);
}

void JsonTableModel::setObjectAt(int row, const QJsonObject &object)
{
    if (row < 0 || row >= storedRowCount || row >= rows.size())
        return;
    rows[row] = object;
    if (row == 0)
        takeFirstRowKeys();
    emit dataChanged(index(row, 0), index(row, storedColumnCount - 1), {});
}

namespace {
// A member read in place and a value looked up read alike.
template<typename Value>
QString textOf(const Value &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
    case QJsonValue::Bool:
        return value.toVariant().toString();
    default:
        return QString();
    }
}
}  // namespace

const QList<int> &JsonTableModel::columnsOf(qsizetype position, const QString &key) const
{
    if (position < memberColumns.size() && memberColumns.at(position).key == key)
        return memberColumns.at(position).columns;
    if (position >= memberColumns.size())
        memberColumns.resize(position + 1);
    MemberColumns &member = memberColumns[position];
    member.key = key;
    member.columns.clear();
    for (int column = 0; column < storedColumnCount; ++column) {
        const QStringList &parts = keyPartsAt(column);
        if (!parts.isEmpty() && parts.first() == key)
            member.columns.append(column);
    }
    return member.columns;
}

template<typename Take>
void JsonTableModel::readTexts(int row, Take take) const
{
    if (row < 0 || row >= rows.size())
        return;
    const QJsonObject &object = rows.at(row);
    qsizetype position = 0;
    for (auto member = object.constBegin(), end = object.constEnd(); member != end;
         ++member, ++position) {
        for (const int column : columnsOf(position, member.key())) {
            const QStringList &parts = keyPartsAt(column);
            if (parts.size() == 1)
                take(column, textOf(member.value()));
            else if (!member.value().isNull())
                take(column, textOf(Global::traverseJson(member.value().toObject(), parts.mid(1))));
        }
    }
}

QStringList JsonTableModel::displayTexts(int row) const
{
    QStringList texts(storedColumnCount);
    readTexts(row, [&](int column, QString text) { texts[column] = std::move(text); });
    return texts;
}

QString JsonTableModel::joinedDisplayTexts(int row, QChar separator) const
{
    QVarLengthArray<QString, 32> cells;
    qsizetype size = 0;
    readTexts(row, [&](int, QString cell) {
        size += cell.size() + 1;
        cells.append(std::move(cell));
    });
    QString text(size, Qt::Uninitialized);
    QChar *end = text.data();
    for (const QString &cell : std::as_const(cells)) {
        end = std::copy(cell.cbegin(), cell.cend(), end);
        *end++ = separator;
    }
    return text;
}

QVariant JsonTableModel::getValue(const QJsonObject &object, const QString &key) const
{
    return Global::traverseJson(object, key).toVariant();
}
