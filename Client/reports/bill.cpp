#include "bill.h"

#include "clock.h"
#include "documentparts.h"
#include "global.h"
#include "loginmanager.h"
#include "money.h"

#include <hlineelement.h>
#include <report.h>
#include <tableelement.h>
#include <textelement.h>

#include <QJsonArray>
#include <QJsonObject>

using DocumentParts::numberAt;
using DocumentParts::textAt;
using ReportEngine::TableElement;
using ReportEngine::TextElement;

namespace {

QString integer(const QJsonObject &object, const QString &key)
{
    return QString::number(Global::traverseJson(object, key).toInt());
}

QString rubles(qint64 kopecks)
{
    return Money::format(kopecks) + QStringLiteral(" р.");
}

void addHeaderRow(TableElement &table, const QStringList &labels)
{
    for (int column = 0; column < labels.size(); ++column)
        table.cell(0, column).addElement(TextElement(labels.at(column)), Qt::AlignHCenter);
}

void addTotalRow(TableElement &table, int span, qint64 total, Qt::Alignment alignment)
{
    const int row = table.rowCount();
    table.cell(row, 0).setColumnSpan(span);
    table.cell(row, 0).addElement(TextElement(QStringLiteral("ИТОГО")), Qt::AlignLeft);
    table.cell(row, span).addElement(TextElement(rubles(total)), alignment);
}

QString sumLine(const QString &pattern, qint64 kopecks)
{
    const Money::Spelled sum = Money::spell(kopecks);
    return pattern.arg(sum.figures, sum.words, sum.kopecks);
}

}  // namespace

Bill::Bill(QObject *parent)
    : ExtendedReport(parent)
{
}

Bill::~Bill() = default;

void Bill::setTargetId(int id)
{
    personId = id;
}

void Bill::build(ReportEngine::Report &report, QMap<QString, QVariant>)
{
    Global::showPreloader();
    DocumentParts::setUpPage(report);

    const QString personPath = QStringLiteral("/persons/%1").arg(personId);
    const QJsonObject organization =
        DocumentParts::fetch(manager, QStringLiteral("/globals/OrganizationInfo"))
            .object()
            .value(QStringLiteral("value"))
            .toObject();
    const QJsonObject person = DocumentParts::fetch(manager, personPath).object();
    const QJsonArray stays =
        DocumentParts::fetch(manager, personPath + QStringLiteral("/accommodation")).array();
    const QJsonArray payments =
        DocumentParts::fetch(manager, personPath + QStringLiteral("/payments")).array();

    const TextElement name = DocumentParts::text(textAt(organization, "name"), 1, 8);
    const TextElement address = DocumentParts::text(textAt(organization, "address"), 2, 8);
    const TextElement extraAddress = DocumentParts::text(textAt(organization, "extraAddress"), 2, 8);
    const TextElement title = DocumentParts::text(
        QStringLiteral("СЧЕТ №%1\tот %2")
            .arg(integer(person, "billNum"), Clock::today().toString(QStringLiteral("dd.MM.yyyy"))),
        0, 12);
    ReportEngine::HLineElement line;
    line.setDashed(true);

    const QJsonObject firstStay = stays.at(0).toObject();
    const QJsonObject firstPayment = payments.at(0).toObject();
    QList<QPair<QString, QString>> information{
        {QStringLiteral("ФИО"), textAt(person, "fullname")},
        {QStringLiteral("Организация"), textAt(person, "organization.name")}};
    if (!textAt(firstPayment, "payer.name").isEmpty())
        information.append({QStringLiteral("Плательщик"),
                            QStringLiteral("%1 (Контракт № %2)")
                                .arg(textAt(firstPayment, "payer.payer.name"),
                                     textAt(firstPayment, "payer.name"))});
    information.append({QStringLiteral("Основание"), textAt(firstStay, "rate.base")});
    TableElement informationTable;
    informationTable.setBorder(0);
    for (int row = 0; row < information.size(); ++row) {
        informationTable.cell(row, 0).addElement(TextElement(information.at(row).first));
        informationTable.cell(row, 1).addElement(
            TextElement(QStringLiteral(": ") + information.at(row).second));
    }

    // Each row is rounded to kopecks once and the total is the sum of what
    // the rows print, so the figures and the words below always agree.
    TableElement services;
    services.setWidth(100);
    services.setHeaderRowCount(1);
    services.setHeaderColumnCount(8);
    services.setColumnConstraints({3, 15, 25, 7, 15, 15, 8, 10});
    addHeaderRow(services, {QStringLiteral("№ п/п"), QStringLiteral("Наименование услуги"),
                            QStringLiteral("Номер"), QStringLiteral("Мест занято"),
                            QStringLiteral("Период оказания услуги"),
                            QStringLiteral("Тариф за 1 место, сут/час"),
                            QStringLiteral("Кол-во сут/час"), QStringLiteral("Сумма")});
    qint64 servicesTotal = 0;
    for (int i = 0; i < stays.size(); ++i) {
        const QJsonObject stay = stays.at(i).toObject();
        const qint64 cost = Money::toKopecks(numberAt(stay, "cost"));
        servicesTotal += cost;
        const QStringList cells{
            QString::number(i + 1), QStringLiteral("Проживание"),
            QStringLiteral("%1 /%2/").arg(textAt(stay, "room.number"), textAt(stay, "room.description")),
            integer(stay, "rate.size"),
            QStringLiteral("%1 - %2").arg(Global::formatDateTime(textAt(stay, "inDate")),
                                          Global::formatDateTime(textAt(stay, "outDate"))),
            QStringLiteral("%1 / %2").arg(Money::format(numberAt(stay, "rate.cost")),
                                          Money::format(numberAt(stay, "rate.hourCost"))),
            QStringLiteral("%1 / %2").arg(integer(stay, "days"), integer(stay, "hours")),
            rubles(cost)};
        const int row = services.rowCount();
        for (int column = 0; column < cells.size(); ++column)
            services.cell(row, column)
                .addElement(TextElement(cells.at(column)),
                            column == 7 ? Qt::AlignRight : Qt::AlignHCenter);
    }
    addTotalRow(services, 7, servicesTotal, Qt::AlignLeft);

    TableElement paymentsTable;
    paymentsTable.setHeaderRowCount(1);
    paymentsTable.setHeaderColumnCount(4);
    paymentsTable.setColumnConstraints({3, 15, 15, 15});
    addHeaderRow(paymentsTable, {QStringLiteral("№ п/п"), QStringLiteral("Дата оплаты"),
                                 QStringLiteral("Способ оплаты"), QStringLiteral("Оплачено")});
    qint64 paidTotal = 0;
    for (int i = 0; i < payments.size(); ++i) {
        const QJsonObject payment = payments.at(i).toObject();
        const qint64 summ = Money::toKopecks(numberAt(payment, "summ"));
        paidTotal += summ;
        const int row = paymentsTable.rowCount();
        paymentsTable.cell(row, 0).addElement(TextElement(QString::number(i + 1)), Qt::AlignHCenter);
        paymentsTable.cell(row, 1).addElement(
            TextElement(Global::formatDate(textAt(payment, "payDate"))), Qt::AlignHCenter);
        paymentsTable.cell(row, 2).addElement(TextElement(textAt(payment, "payType.name")),
                                              Qt::AlignHCenter);
        paymentsTable.cell(row, 3).addElement(TextElement(rubles(summ)), Qt::AlignRight);
    }
    addTotalRow(paymentsTable, 3, paidTotal, Qt::AlignRight);

    TableElement signatures;
    signatures.setBorder(0);
    const QString underline(16, QLatin1Char('_'));
    const QStringList signatureCells{
        QStringLiteral("Кассир"), underline, LoginManager::instance()->getName(),
        QStringLiteral("Счёт получил"), underline, Global::toShort(textAt(person, "fullname"))};
    for (int i = 0; i < signatureCells.size(); ++i)
        signatures.cell(i / 3, i % 3).addElement(TextElement(signatureCells.at(i)));

    const QStringList sums{
        sumLine(QStringLiteral("Сумма счёта: %1 руб. (%2 рублей %3 копеек)\t\tНДС не облагается"),
                servicesTotal),
        sumLine(QStringLiteral("Оплачено: %1 руб. (%2 рублей %3 копеек)"), paidTotal),
        sumLine(QStringLiteral("К оплате: %1 руб. (%2 рублей %3 копеек)"),
                servicesTotal - paidTotal)};
    const QString comment = textAt(organization, "comment");

    for (int copy = 0; copy < 2; ++copy) {
        report.addElement(name, Qt::AlignLeft);
        report.addElement(address, Qt::AlignLeft);
        report.addElement(extraAddress, Qt::AlignLeft);
        report.addVerticalSpacing(5);
        report.addElement(title, Qt::AlignHCenter);
        report.addElement(informationTable, Qt::AlignLeft);
        report.addVerticalSpacing(5);
        report.addElement(services, Qt::AlignLeft);
        report.addVerticalSpacing(5);
        report.addElement(paymentsTable, Qt::AlignLeft);
        report.addVerticalSpacing(5);
        for (const QString &sum : sums)
            report.addElement(TextElement(sum), Qt::AlignLeft);
        report.addVerticalSpacing(5);
        report.addElement(signatures, Qt::AlignLeft);
        if (!comment.isEmpty()) {
            report.addVerticalSpacing(5);
            report.addElement(TextElement(comment), Qt::AlignLeft);
        }
        report.addElement(line, Qt::AlignLeft);
    }

    Global::hidePreloader();
}
