#include "permissionstablemodel.h"

#include <QJsonValue>

namespace {
enum PermissionColumn { NodeColumn, ReadColumn, WriteColumn, ColumnCount };
}

const QMap<QString, QString> PermissionsTableModel::translations = {
    {QStringLiteral("accommodation"), QStringLiteral("Таблица | Проживание")},
    {QStringLiteral("audit"), QStringLiteral("Администрирование | Журнал аудита")},
    {QStringLiteral("cassReport"), QStringLiteral("Отчеты | Кассовый отчет")},
    {QStringLiteral("countHour"), QStringLiteral("Учреждение | Расчетный час")},
    {QStringLiteral("curriculums"), QStringLiteral("Регистрация | Образовательные программы")},
    {QStringLiteral("districts"), QStringLiteral("Справочник | Округ")},
    {QStringLiteral("extraServices"), QStringLiteral("Учреждение | Дополнительные услуги")},
    {QStringLiteral("organizations"), QStringLiteral("Справочник | Организация")},
    {QStringLiteral("payTypes"), QStringLiteral("Учреждение | Способ оплаты")},
    {QStringLiteral("payments"), QStringLiteral("Таблица | Оплата за проживание")},
    {QStringLiteral("paymentsReport"), QStringLiteral("Отчеты | Расчетная ведомость")},
    {QStringLiteral("persons"), QStringLiteral("Физ. лицо")},
    {QStringLiteral("positions"), QStringLiteral("Справочник | Должности")},
    {QStringLiteral("property"), QStringLiteral("Учреждение | Имущество")},
    {QStringLiteral("rates"), QStringLiteral("Учреждение | Тарифы")},
    {QStringLiteral("receiptNumber"), QStringLiteral("Сервис | Нумерация квитанций")},
    {QStringLiteral("regions"), QStringLiteral("Справочник | Регион")},
    {QStringLiteral("registrationCard"), QStringLiteral("Строка меню | Печать КР")},
    {QStringLiteral("rooms"), QStringLiteral("Учреждение | Номера")},
    {QStringLiteral("servicePayments"), QStringLiteral("Таблица | Оплата услуг | № кв-ции")},
    {QStringLiteral("streams"), QStringLiteral("Регистрация | Потоки")},
    {QStringLiteral("users"), QStringLiteral("Администрирование | Пользователи")},
};

PermissionsTableModel::PermissionsTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void PermissionsTableModel::setPermissionsObject(const QJsonObject &object)
{
    beginResetModel();
    nodes.clear();
    permissions = object;
    for (auto it = permissions.constBegin(); it != permissions.constEnd(); ++it) {
        if (it.key() != QLatin1String("id") && it.key() != QLatin1String("userId"))
            nodes.append(it.key());
    }
    endResetModel();
}

int PermissionsTableModel::rowCount(const QModelIndex &) const
{
    return int(nodes.size());
}

int PermissionsTableModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

int PermissionsTableModel::mask(int row) const
{
    // A null or non-numeric mask grants nothing.
    return permissions.value(nodes.at(row)).toInt(0);
}

QVariant PermissionsTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= nodes.size())
        return QVariant();
    const QString &node = nodes.at(index.row());
    if (index.column() == NodeColumn && role == Qt::DisplayRole)
        return translations.value(node, node);
    if (role != Qt::CheckStateRole)
        return QVariant();
    if (index.column() == ReadColumn)
        return (mask(index.row()) & 1) ? Qt::Checked : Qt::Unchecked;
    if (index.column() == WriteColumn)
        return (mask(index.row()) & 2) ? Qt::Checked : Qt::Unchecked;
    return QVariant();
}

bool PermissionsTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= nodes.size())
        return QAbstractTableModel::setData(index, value, role);
    const int bit = bitOf(index.column());
    if (bit == 0)
        return QAbstractTableModel::setData(index, value, role);

    // Each call flips the bit whatever state the view asks for: the view
    // only ever asks for the other one.
    permissions.insert(nodes.at(index.row()), mask(index.row()) ^ bit);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

int PermissionsTableModel::bitOf(int column)
{
    return column == ReadColumn ? 1 : column == WriteColumn ? 2 : 0;
}

Qt::ItemFlags PermissionsTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == ReadColumn || index.column() == WriteColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant PermissionsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        switch (section) {
        case NodeColumn:
            return QStringLiteral("Право");
        case ReadColumn:
            return QStringLiteral("Чтение");
        case WriteColumn:
            return QStringLiteral("Запись");
        default:
            break;
        }
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
