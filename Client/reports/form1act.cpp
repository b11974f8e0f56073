#include "form1act.h"

#include "clock.h"
#include "documentparts.h"
#include "global.h"
#include "loginmanager.h"
#include "money.h"
#include "networklog.h"
#include "reportreply.h"
#include "reportshelper.h"

#include <hlineelement.h>
#include <report.h>
#include <textelement.h>

Form1Act::Form1Act(QObject *parent)
    : ExtendedReport(parent)
{
}

Form1Act::~Form1Act() = default;

void Form1Act::setTarget(int receipt, int property)
{
    receiptId = receipt;
    propertyId = property;
}

void Form1Act::build(ReportEngine::Report &report, QMap<QString, QVariant>)
{
    buildFromTemplate(report, QStringLiteral(":/reports/Form1Act.xml"));
}

void Form1Act::buildFromTemplate(ReportEngine::Report &report, const QString &templatePath)
{
    const QJsonObject receipt =
        ReportReply::fetch(manager, QStringLiteral("receipts/%1").arg(receiptId)).object();
    const QJsonObject property = receipt.value(QStringLiteral("property")).toObject();
    qCDebug(lomiNetwork) << NetworkLog::masked(receipt);

    const QString person = DocumentParts::textAt(receipt, QStringLiteral("person.fullname"));
    const QDateTime now = Clock::now();
    const QList<QPair<QString, QString>> values{
        {QStringLiteral("number"),
         QString::number(receipt.value(QStringLiteral("number")).toInt())},
        {QStringLiteral("currentDate"), now.date().toString(QStringLiteral("dd.MM.yyyy"))},
        {QStringLiteral("currentDateTime"), now.toString(QStringLiteral("dd.MM.yyyy HH:mm"))},
        {QStringLiteral("cassir"), LoginManager::instance()->getName()},
        {QStringLiteral("person"), person},
        {QStringLiteral("personShort"), Global::toShort(person)},
        {QStringLiteral("propertyName"), property.value(QStringLiteral("name")).toString()},
        {QStringLiteral("propertyCost"),
         Money::format(property.value(QStringLiteral("cost")).toDouble())},
        {QStringLiteral("propertyNumber"), property.value(QStringLiteral("number")).toString()}};
    for (const auto &value : values)
        report.associateTextValue(value.first, value.second);

    ReportsHelper::loadReport(templatePath, &report);
    const QString tearOff = QStringLiteral("Экземпляр акта получил (Заказчик) ")
                            + QString(19, QLatin1Char('_'));
    report.addElement(ReportEngine::TextElement(tearOff, 0), Qt::AlignLeft);
    ReportEngine::HLineElement line;
    line.setDashed(true);
    report.addElement(line, Qt::AlignLeft);
    ReportsHelper::loadReport(templatePath, &report);
}
