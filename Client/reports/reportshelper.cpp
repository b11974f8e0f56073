#include "reportshelper.h"

#include "clock.h"
#include "global.h"
#include "loginmanager.h"
#include "messagebox.h"
#include "networkmanagerwrapper.h"
#include "reportreply.h"
#include "reportsextendedxmlelementhandler.h"
#include "requesttablemodel.h"

#include <errordetails.h>
#include <report.h>

#include <QDateTime>
#include <QFile>

namespace {

// The organisation document as a one-row model: (name, address).
void loadOrganizationInfo(RequestTableModel &model)
{
    QNetworkRequest request(QUrl(Global::endpoint(QStringLiteral("/globals/OrganizationInfo"))));
    LoginManager::instance()->authorizeRequest(request);
    model.setRequest(request);
    model.setOrder({QStringLiteral("value.name"), QStringLiteral("value.address")});
    model.selectSync();
}

}  // namespace

bool ReportsHelper::loadReport(const QString &fileName, ReportEngine::Report *report,
                               ReportEngine::ErrorDetails *details)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        MessageBox::critical(nullptr, QStringLiteral("Error"),
                             QStringLiteral("Could not open report description file '%1'.")
                                 .arg(fileName),
                             QMessageBox::Ok);
        return false;
    }

    report->setXmlElementHandler(new ReportsExtendedXmlElementHandler);
    ReportEngine::ErrorDetails errors;
    if (!report->loadFromXML(&file, &errors)) {
        MessageBox::critical(nullptr, QStringLiteral("Error"),
                             QStringLiteral("Could not parse report description file '%1':\n%2")
                                 .arg(fileName, errors.message()),
                             QMessageBox::Ok);
        if (details)
            *details = errors;
        return false;
    }
    file.close();
    return true;
}

QTime ReportsHelper::getCheckoutHour()
{
    NetworkManagerWrapper manager;
    const QJsonObject object
        = ReportReply::fetch(manager, QStringLiteral("/globals/CheckoutHour")).object();
    return QTime::fromString(object.value(QStringLiteral("value")).toString(),
                             QStringLiteral("HH:mm:ss"));
}

QPair<QString, QString> ReportsHelper::getOrganizationInfo()
{
    RequestTableModel model;
    loadOrganizationInfo(model);
    return {model.index(0, 0).data().toString(), model.index(0, 1).data().toString()};
}

bool ReportsHelper::loadPageHeader(ReportEngine::Report &report)
{
    // The template takes its values while it loads, so the model may go
    // when this call returns.
    RequestTableModel model;
    loadOrganizationInfo(model);
    report.associateModel(QStringLiteral("orgInfo"), &model);
    report.associateTextValue(
        QStringLiteral("currentDate"),
        Clock::now().toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    return loadReport(QStringLiteral(":/reports/Default.xml"), &report);
}
