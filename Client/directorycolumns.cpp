#include "directorycolumns.h"

#include "attributeitemdelegate.h"
#include "booleanitemdelegate.h"
#include "datetimeitemdelegate.h"
#include "moneyitemdelegate.h"
#include "simplejsonobjectitemdelegate.h"

DirectoryColumns::DirectoryColumns(std::initializer_list<Column> list)
    : columns(list)
{
}

const DirectoryColumns &DirectoryColumns::districts()
{
    static const DirectoryColumns table{
        {QStringLiteral("ID"), QStringLiteral("id")},
        {QStringLiteral("Название"), QStringLiteral("name")}};
    return table;
}

const DirectoryColumns &DirectoryColumns::regions()
{
    static const DirectoryColumns table{
        {QStringLiteral("ID"), QStringLiteral("id")},
        {QStringLiteral("Шифр"), QStringLiteral("code")},
        {QStringLiteral("Название"), QStringLiteral("name")},
        {QStringLiteral("Округ"), QStringLiteral("district.name")}};
    return table;
}

const DirectoryColumns &DirectoryColumns::positions()
{
    static const DirectoryColumns table{
        {QStringLiteral("ID"), QStringLiteral("id")},
        {QStringLiteral("Название"), QStringLiteral("name")}};
    return table;
}

const DirectoryColumns &DirectoryColumns::organizations()
{
    static const DirectoryColumns table{
        {QStringLiteral("ID"), QStringLiteral("id")},
        {QStringLiteral("Название"), QStringLiteral("name")},
        {QStringLiteral("Регион"), QStringLiteral("region.name")},
        {QStringLiteral("Код"), QStringLiteral("code")},
        {QStringLiteral("ИНН"), QStringLiteral("inn")},
        {QStringLiteral("Архив"), QStringLiteral("archived"), yesNo}};
    return table;
}

const DirectoryColumns &DirectoryColumns::curriculums()
{
    static const DirectoryColumns table{
        {QStringLiteral("ID"), QStringLiteral("id")},
        {QStringLiteral("Наименование"), QStringLiteral("name")},
        {QStringLiteral("Объем"), QStringLiteral("value")},
        {QStringLiteral("Платная"), QStringLiteral("paid"), yesNo},
        {QStringLiteral("Цена"), QStringLiteral("cost")},
        {QStringLiteral("Архив"), QStringLiteral("archived"), yesNo},
        {QStringLiteral("ID АИС"), QStringLiteral("externalId")},
        {QStringLiteral("Основание"), QStringLiteral("base")}};
    return table;
}

const DirectoryColumns &DirectoryColumns::streams()
{
    static const DirectoryColumns table{
        {QStringLiteral("ID"), QStringLiteral("id")},
        {QStringLiteral("Наименование"), QStringLiteral("name")},
        {QStringLiteral("Начало"), QStringLiteral("startDate"), dateOnly},
        {QStringLiteral("Конец"), QStringLiteral("endDate"), dateOnly},
        {QStringLiteral("Программа"), QStringLiteral("curriculum.name")},
        {QStringLiteral("Внешний ID"), QStringLiteral("externalId")}};
    return table;
}

const DirectoryColumns &DirectoryColumns::rates()
{
    static const DirectoryColumns table{
        {QStringLiteral("ID"), QStringLiteral("id")},
        {QStringLiteral("Тип"), QStringLiteral("type")},
        {QStringLiteral("Название"), QStringLiteral("name")},
        {QStringLiteral("Стоимость"), QStringLiteral("cost"), money},
        {QStringLiteral("Стоимость часа"), QStringLiteral("hourCost"), money},
        {QStringLiteral("Начало действия"), QStringLiteral("startDate"), dateOnly},
        {QStringLiteral("Конец действия"), QStringLiteral("endDate"), dateOnly},
        {QStringLiteral("Кол-во мест"), QStringLiteral("size")},
        {QStringLiteral("Основной"), QStringLiteral("primary"), yesNo},
        {QStringLiteral("Основание"), QStringLiteral("base")},
        {QStringLiteral("Комментарий"), QStringLiteral("comments")},
        {QStringLiteral("Заметки"), QStringLiteral("notes")}};
    return table;
}

const DirectoryColumns &DirectoryColumns::payTypes()
{
    static const DirectoryColumns table{
        {QStringLiteral("ID"), QStringLiteral("id")},
        {QStringLiteral("Название"), QStringLiteral("name")},
        {QStringLiteral("Оплата"), QStringLiteral("attribute"), payTypeAttribute},
        {QStringLiteral("Плательщик"), QStringLiteral("payer.name")},
        {QStringLiteral("Дата начала"), QStringLiteral("startDate"), dateOnly},
        {QStringLiteral("Дата окончания"), QStringLiteral("endDate"), dateOnly},
        {QStringLiteral("Цена контракта"), QStringLiteral("contractCost")}};
    return table;
}

const DirectoryColumns &DirectoryColumns::properties()
{
    static const DirectoryColumns table{
        {QStringLiteral("ID"), QStringLiteral("id")},
        {QStringLiteral("Название"), QStringLiteral("name")},
        {QStringLiteral("Идентификационный номер"), QStringLiteral("number")},
        {QStringLiteral("Стоимость"), QStringLiteral("cost"), money},
        {QStringLiteral("Архив"), QStringLiteral("archived"), yesNo}};
    return table;
}

QMap<int, QString> DirectoryColumns::payTypeAttributes()
{
    return {{0, QStringLiteral("Ожидает оплаты")},
            {1, QStringLiteral("Оплата")},
            {-1, QStringLiteral("Возврат")}};
}

QAbstractItemDelegate *DirectoryColumns::yesNo()
{
    return new BooleanItemDelegate(nullptr, {QStringLiteral("Да"), QStringLiteral("Нет")});
}

QAbstractItemDelegate *DirectoryColumns::dateOnly()
{
    return new DateTimeItemDelegate(nullptr, true);
}

QAbstractItemDelegate *DirectoryColumns::money()
{
    return new MoneyItemDelegate(nullptr);
}

QAbstractItemDelegate *DirectoryColumns::payTypeAttribute()
{
    return new AttributeItemDelegate(nullptr, payTypeAttributes());
}

QAbstractItemDelegate *DirectoryColumns::nestedName()
{
    return new SimpleJsonObjectItemDelegate(nullptr, QStringLiteral("name"));
}

DirectoryColumns DirectoryColumns::only(const QStringList &keys) const
{
    DirectoryColumns picked;
    for (const QString &key : keys)
        picked.columns.append(columns.at(indexOf(key)));
    return picked;
}

DirectoryColumns DirectoryColumns::relabelled(const QString &key, const QString &label) const
{
    DirectoryColumns changed = *this;
    changed.columns[indexOf(key)].label = label;
    return changed;
}

DirectoryColumns DirectoryColumns::rekeyed(const QString &key, const QString &newKey) const
{
    DirectoryColumns changed = *this;
    changed.columns[indexOf(key)].key = newKey;
    return changed;
}

DirectoryColumns DirectoryColumns::drawnWith(const QString &key, DelegateFactory delegate) const
{
    DirectoryColumns changed = *this;
    changed.columns[indexOf(key)].delegate = delegate;
    return changed;
}

JsonTableModel::Headers DirectoryColumns::headers() const
{
    JsonTableModel::Headers result;
    for (const Column &c : columns)
        result.append({c.label, c.key});
    return result;
}

QMap<int, QAbstractItemDelegate *> DirectoryColumns::delegates() const
{
    QMap<int, QAbstractItemDelegate *> result;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).delegate)
            result.insert(i, columns.at(i).delegate());
    }
    return result;
}

int DirectoryColumns::indexOf(const QString &key) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).key == key)
            return i;
    }
    // The tables above are fixed: a key missing from them is a typo here.
    qFatal("DirectoryColumns: no column \"%s\"", qPrintable(key));
}
