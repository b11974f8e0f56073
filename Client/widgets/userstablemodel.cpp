#include "userstablemodel.h"

#include <QJsonValue>

namespace {
const int rvColumn = 4;
const int rv0Column = 5;
}  // namespace

UsersTableModel::UsersTableModel(QObject *parent)
    : JsonTableModel(parent)
{
}

Qt::ItemFlags UsersTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = JsonTableModel::flags(index);
    if (index.isValid() && (index.column() == rvColumn || index.column() == rv0Column))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool UsersTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    QString key;
    if (index.column() == rvColumn)
        key = QStringLiteral("rv");
    else if (index.column() == rv0Column)
        key = QStringLiteral("rv0");
    else
        return false;

    // The row as held now, with the edits already made to it, not as loaded.
    QJsonObject user = objectAt(index.row());
    // What is typed is kept as text (12 stays "12"); a cleared cell is null.
    user.insert(key, value.isNull() ? QJsonValue(QJsonValue::Null)
                                    : QJsonValue(value.toString()));
    setObjectAt(index.row(), user);
    emit cellEdited(index);
    return true;
}
