#include "selectorfactory.h"

#include "attributeitemdelegate.h"
#include "booleanitemdelegate.h"
#include "commonselectordialog.h"
#include "datetimeitemdelegate.h"
#include "moneyitemdelegate.h"
#include "simplejsonobjectitemdelegate.h"

#include <QUrlQuery>

namespace {

using Delegates = QMap<int, QAbstractItemDelegate *>;

// The delegates live as long as the selector that shows them.
CommonSelectorDialog *adoptDelegates(CommonSelectorDialog *dialog, const Delegates &delegates)
{
    for (QAbstractItemDelegate *delegate : delegates)
        delegate->setParent(dialog);
    return dialog;
}

const std::pair<QString, QString> yesNo{QStringLiteral("Да"), QStringLiteral("Нет")};

}  // namespace

CommonSelectorDialog *SelectorFactory::createOrganizationsSelector()
{
    return CommonSelectorDialog::Builder::create()
        ->withEndpoint("organizations?excludeArchive=true")
        ->withHeaders({{"ID", "id"},
                       {"Код", "code"},
                       {"Название", "name"},
                       {"Регион", "region.name"}})
        ->withDisplayColumn(2)
        ->build();
}

CommonSelectorDialog *SelectorFactory::createPositionSelector()
{
    return CommonSelectorDialog::Builder::create()
        ->withEndpoint("positions")
        ->withHeaders({{"ID", "id"}, {"Название", "name"}})
        ->withDisplayColumn(1)
        ->build();
}

CommonSelectorDialog *SelectorFactory::createExtraServiceSelector()
{
    return CommonSelectorDialog::Builder::create()
        ->withEndpoint("extra_services?actualOnly=true")
        ->withHeaders({{"ID", "id"},
                       {"Название", "name"},
                       {"Ед. изм.", "measurement"},
                       {"Тариф", "rate"},
                       {"Основание", "base"}})
        ->withDisplayColumn(1)
        ->sortBy(1, Qt::AscendingOrder)
        ->build();
}

CommonSelectorDialog *SelectorFactory::createStreamSelector()
{
    const Delegates delegates{{2, new DateTimeItemDelegate(nullptr, true)},
                              {3, new DateTimeItemDelegate(nullptr, true)},
                              {4, new SimpleJsonObjectItemDelegate(nullptr, "name")}};
    return adoptDelegates(CommonSelectorDialog::Builder::create()
                              ->withEndpoint("streams")
                              ->withHeaders({{"ID", "id"},
                                             {"Наименование", "name"},
                                             {"Начало", "startDate"},
                                             {"Конец", "endDate"},
                                             {"Программа", "curriculum"}})
                              ->withItemDelegates(delegates)
                              ->withDisplayColumn(1)
                              ->build(),
                          delegates);
}

CommonSelectorDialog *SelectorFactory::createCurriculumSelector(bool paidOnly)
{
    if (paidOnly) {
        const Delegates delegates{{3, new MoneyItemDelegate(nullptr)}};
        return adoptDelegates(CommonSelectorDialog::Builder::create()
                                  ->withEndpoint("curriculums?paidOnly=true")
                                  ->withHeaders({{"ID", "id"},
                                                 {"Наименование", "name"},
                                                 {"Объем", "value"},
                                                 {"Цена", "cost"},
                                                 {"ID АИС", "externalId"},
                                                 {"Основание", "base"}})
                                  ->withItemDelegates(delegates)
                                  ->withDisplayColumn(1)
                                  ->build(),
                              delegates);
    }

    const Delegates delegates{{3, new BooleanItemDelegate(nullptr, yesNo)},
                              {4, new MoneyItemDelegate(nullptr)},
                              {5, new BooleanItemDelegate(nullptr, yesNo)}};
    return adoptDelegates(CommonSelectorDialog::Builder::create()
                              ->withEndpoint("curriculums")
                              ->withHeaders({{"ID", "id"},
                                             {"Наименование", "name"},
                                             {"Объем", "value"},
                                             {"Платная", "paid"},
                                             {"Цена", "cost"},
                                             {"Архив", "archived"},
                                             {"ID АИС", "externalId"},
                                             {"Основание", "base"}})
                              ->withItemDelegates(delegates)
                              ->withDisplayColumn(1)
                              ->build(),
                          delegates);
}

CommonSelectorDialog *SelectorFactory::createPropertyDialog()
{
    const Delegates delegates{{3, new MoneyItemDelegate(nullptr)}};
    return adoptDelegates(CommonSelectorDialog::Builder::create()
                              ->withEndpoint("property?actualOnly=true")
                              ->withHeaders({{"ID", "id"},
                                             {"Название", "name"},
                                             {"Идентификационный номер", "number"},
                                             {"Стоимость", "cost"}})
                              ->withItemDelegates(delegates)
                              ->withDisplayColumn(1)
                              ->build(),
                          delegates);
}

CommonSelectorDialog *SelectorFactory::createPayTypeSelector(bool payerOnly, bool actualOnly)
{
    QUrlQuery query;
    query.addQueryItem("payerOnly", payerOnly ? "true" : "false");
    query.addQueryItem("actualOnly", actualOnly ? "true" : "false");

    const Delegates delegates{
        {2, new AttributeItemDelegate(nullptr, {{0, QStringLiteral("Ожидает оплаты")},
                                                {1, QStringLiteral("Оплата")},
                                                {-1, QStringLiteral("Возврат")}})},
        {4, new DateTimeItemDelegate(nullptr, true)},
        {5, new DateTimeItemDelegate(nullptr, true)},
        {6, new MoneyItemDelegate(nullptr)}};
    return adoptDelegates(CommonSelectorDialog::Builder::create()
                              ->withEndpoint(QStringLiteral("pay_type?") + query.toString())
                              ->withHeaders({{"ID", "id"},
                                             {"Название", "name"},
                                             {"Атрибут", "attribute"},
                                             {"Плательщик", "payer.name"},
                                             {"Дата начала", "startDate"},
                                             {"Дата окончания", "endDate"},
                                             {"Цена контракта", "contractCost"}})
                              ->withItemDelegates(delegates)
                              ->withDisplayColumn(1)
                              ->build(),
                          delegates);
}
