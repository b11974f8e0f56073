#include "selectorfactory.h"

#include "commonselectordialog.h"
#include "directorycolumns.h"

#include <QUrlQuery>

namespace {

CommonSelectorDialog *selector(const QString &endpoint, const DirectoryColumns &columns,
                               int displayColumn)
{
    return CommonSelectorDialog::Builder::create()
        ->withEndpoint(endpoint)
        ->withHeaders(columns.headers())
        ->withItemDelegates(columns.delegates())
        ->withDisplayColumn(displayColumn)
        ->build();
}

}  // namespace

CommonSelectorDialog *SelectorFactory::createOrganizationsSelector()
{
    return selector(QStringLiteral("organizations?excludeArchive=true"),
                    DirectoryColumns::organizations().only({"id", "code", "name", "region.name"}),
                    2);
}

CommonSelectorDialog *SelectorFactory::createPositionSelector()
{
    return selector(QStringLiteral("positions"), DirectoryColumns::positions(), 1);
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
    // The person card reads the whole curriculum object (its hours too) from
    // the chosen row, so this column holds the object, not its name.
    return selector(QStringLiteral("streams"),
                    DirectoryColumns::streams()
                        .only({"id", "name", "startDate", "endDate", "curriculum.name"})
                        .rekeyed("curriculum.name", "curriculum")
                        .drawnWith("curriculum", DirectoryColumns::nestedName),
                    1);
}

CommonSelectorDialog *SelectorFactory::createCurriculumSelector(bool paidOnly)
{
    if (paidOnly) {
        return selector(QStringLiteral("curriculums?paidOnly=true"),
                        DirectoryColumns::curriculums()
                            .only({"id", "name", "value", "cost", "externalId", "base"})
                            .drawnWith("cost", DirectoryColumns::money),
                        1);
    }
    return selector(QStringLiteral("curriculums"),
                    DirectoryColumns::curriculums().drawnWith("cost", DirectoryColumns::money), 1);
}

CommonSelectorDialog *SelectorFactory::createPropertyDialog()
{
    return selector(QStringLiteral("property?actualOnly=true"),
                    DirectoryColumns::properties().only({"id", "name", "number", "cost"}), 1);
}

CommonSelectorDialog *SelectorFactory::createPayTypeSelector(bool payerOnly, bool actualOnly)
{
    QUrlQuery query;
    query.addQueryItem("payerOnly", payerOnly ? "true" : "false");
    query.addQueryItem("actualOnly", actualOnly ? "true" : "false");

    return selector(QStringLiteral("pay_type?") + query.toString(),
                    DirectoryColumns::payTypes()
                        .relabelled("attribute", QStringLiteral("Атрибут"))
                        .drawnWith("contractCost", DirectoryColumns::money),
                    1);
}
