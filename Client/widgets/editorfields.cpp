#include "editorfields.h"

#include "global.h"
#include "requesttablemodel.h"
#include "selectoredit.h"

#include <QJsonObject>

namespace EditorFields {

QString dateText(const QDate &date)
{
    // Written out rather than through QDateTime: a day whose local midnight
    // falls into a daylight-saving gap would otherwise travel as 01:00.
    return date.toString(Qt::ISODate) + QStringLiteral("T00:00:00.000");
}

QDate dateOf(const QVariant &value)
{
    // The day as written, whatever time or zone follows it.
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
}

void selectReference(SelectorEdit *field, int id, const QString &name)
{
    // reset() also puts the label back to "Не выбрано"; setSelectedId(-1)
    // would keep the previous record's name on show.
    if (id < 0) {
        field->reset();
        return;
    }
    if (!name.isEmpty())
        field->setDisplayValue(name);
    field->setSelectedId(id);
}

int referenceId(const QVariant &value)
{
    return value.isNull() ? -1 : value.toInt();
}

void selectReferenceOfRow(SelectorEdit *field, const QModelIndex &row, const QString &member,
                          const QString &source, int line)
{
    const auto *req = dynamic_cast<const RequestTableModel *>(row.model());
    if (!req) {
        Global::warningAssertionFailed(
            QStringLiteral("req = dynamic_cast<const RequestTableModel*>(row.model())"), source,
            line);
        return;
    }
    selectNestedReference(field, req->objectAt(row.row()).value(member).toObject());
}

void selectNestedReference(SelectorEdit *field, const QJsonObject &nested)
{
    selectReference(field, nested.value(QStringLiteral("id")).toInt(-1),
                    nested.value(QStringLiteral("name")).toString());
}

}  // namespace EditorFields
