#include "registrationcard.h"

#include "clock.h"
#include "global.h"
#include "loginmanager.h"
#include "money.h"
#include "reportlayout.h"
#include "reportshelper.h"
#include "requesttablemodel.h"

#include <report.h>

#include <QStandardItemModel>

namespace {

const JsonTableModel::Headers stayColumns{
    {QStringLiteral("с"), QStringLiteral("inDate")},
    {QStringLiteral("по"), QStringLiteral("outDate")},
    {QStringLiteral("Номер"), QStringLiteral("room.number")},
    {QStringLiteral("Мест"), QStringLiteral("room.size")},
    {QStringLiteral("Тариф, за 1 сутки"), QStringLiteral("rate.cost")}};

const QStringList personColumns{
    QStringLiteral("fullname"),         QStringLiteral("birthDate"),
    QStringLiteral("organization.name"), QStringLiteral("organization.code"),
    QStringLiteral("position.name"),    QStringLiteral("stream.curriculum.name"),
    QStringLiteral("sensitive.series"), QStringLiteral("sensitive.number"),
    QStringLiteral("sensitive.date"),   QStringLiteral("sensitive.whom"),
    QStringLiteral("address"),          QStringLiteral("phone")};

void fillStays(QStandardItemModel &stays, const RequestTableModel &source)
{
    for (int row = 0; row < source.rowCount(); ++row) {
        const auto cell = [&](int column) { return source.index(row, column).data(); };
        auto *cost = new QStandardItem(Money::format(cell(4).toDouble())
                                       + QStringLiteral(" (руб.)"));
        cost->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        stays.appendRow({new QStandardItem(Global::formatDateTime(cell(0).toString())),
                         new QStandardItem(Global::formatDateTime(cell(1).toString())),
                         new QStandardItem(cell(2).toString()),
                         new QStandardItem(cell(3).toString()), cost});
    }
    for (int column = 0; column < stayColumns.size(); ++column)
        stays.setHeaderData(column, Qt::Horizontal, stayColumns.at(column).first);
    stays.setHeaderData(4, Qt::Horizontal, int(Qt::AlignRight), Qt::TextAlignmentRole);
}

}  // namespace

RegistrationCard::RegistrationCard(QObject *parent)
    : ExtendedReport(parent)
{
}

void RegistrationCard::setTargetId(int id)
{
    personId = id;
}

void RegistrationCard::build(ReportEngine::Report &report, QMap<QString, QVariant>)
{
    ReportLayout::BusyIndicator busy;

    // One request serves the three reads: the bearer header stays on it and
    // only its URL changes.
    QNetworkRequest request;
    LoginManager::instance()->authorizeRequest(request);

    RequestTableModel staysSource;
    staysSource.setHeaders(stayColumns);
    request.setUrl(
        QUrl(Global::endpoint(QStringLiteral("persons/%1/accommodation").arg(personId))));
    staysSource.setRequest(request);
    staysSource.selectSync();
    // A card that lists no stay where the stays could not be read would be
    // signed as the record of a guest who never stayed.
    if (!staysSource.isRead()) {
        withhold(QStringLiteral("Регистрационная карта не сформирована: не удалось загрузить "
                                "проживание. Сформируйте её снова, когда сервер ответит."));
        return;
    }
    // The five columns stand from the start, so that a person without stays
    // still prints the table's header.
    QStandardItemModel stays(0, stayColumns.size());
    fillStays(stays, staysSource);

    RequestTableModel person;
    person.setOrder(personColumns);
    request.setUrl(QUrl(Global::endpoint(QStringLiteral("persons/%1").arg(personId))));
    person.setRequest(request);
    person.selectSync();

    RequestTableModel organization;
    organization.setOrder({QStringLiteral("value.name"), QStringLiteral("value.address")});
    request.setUrl(QUrl(Global::endpoint(QStringLiteral("/globals/OrganizationInfo"))));
    organization.setRequest(request);
    organization.selectSync();

    // The template reads the models and values while it loads; the report
    // keeps copies, so the models may go when the build returns.
    report.associateModel(QStringLiteral("orgInfo"), &organization);
    report.associateTextValue(QStringLiteral("currentDate"),
                              Clock::now().toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    report.associateModel(QStringLiteral("person"), &person);
    report.associateModel(QStringLiteral("accommodation"), &stays);
    report.associateTextValue(QStringLiteral("adminName"), LoginManager::instance()->getName());
    report.associateTextValue(QStringLiteral("fioShort"),
                              Global::toShort(person.index(0, 0).data().toString()));
    ReportsHelper::loadReport(QStringLiteral(":/reports/RegistrationCard.xml"), &report);
}
