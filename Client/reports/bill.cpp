#include "bill.h"

#include "clock.h"
#include "documentparts.h"
#include "global.h"
#include "loginmanager.h"
#include "money.h"
#include "reportlayout.h"
#include "reportreply.h"

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

QString integerAt(const QJsonObject &record, const QString &key)
{
    return QString::number(Global::traverseJson(record, key).toInt());
}

QString rubles(qint64 kopecks)
{
    return Money::format(kopecks) + QStringLiteral(" р.");
}

QString sumLine(const QString &pattern, qint64 kopecks)
{
    const Money::Spelled sum = Money::spell(kopecks);
    return pattern.arg(sum.figures, sum.words, sum.kopecks);
}

TableElement informationTable(const QJsonObject &person, const QJsonObject &firstStay,
                              const QJsonObject &firstPayment)
{
    QList<QPair<QString, QString>> rows{
        {QStringLiteral("ФИО"), textAt(person, "fullname")},
        {QStringLiteral("Организация"), textAt(person, "organization.name")}};
    if (!textAt(firstPayment, "payer.name").isEmpty())
        rows.append({QStringLiteral("Плательщик"),
                     QStringLiteral("%1 (Контракт № %2)")
                         .arg(textAt(firstPayment, "payer.payer.name"),
                              textAt(firstPayment, "payer.name"))});
    rows.append({QStringLiteral("Основание"), textAt(firstStay, "rate.base")});

    TableElement table;
    table.setBorder(0);
    for (int row = 0; row < rows.size(); ++row) {
        table.cell(row, 0).addElement(TextElement(rows.at(row).first));
        table.cell(row, 1).addElement(TextElement(QStringLiteral(": ") + rows.at(row).second));
    }
    return table;
}

// A table of centred columns whose last one, the amount, stands right.
TableElement amountsTable(const QStringList &labels, const QList<qreal> &widths)
{
    TableElement table;
    table.setHeaderRowCount(1);
    table.setHeaderColumnCount(labels.size());
    table.setColumnConstraints(widths);
    for (int column = 0; column < labels.size(); ++column)
        table.cell(0, column).addElement(TextElement(labels.at(column)), Qt::AlignHCenter);
    return table;
}

void addAmountsRow(TableElement &table, const QStringList &cells)
{
    const int row = table.rowCount();
    for (int column = 0; column < cells.size(); ++column)
        table.cell(row, column)
            .addElement(TextElement(cells.at(column)),
                        column + 1 == cells.size() ? Qt::AlignRight : Qt::AlignHCenter);
}

void addTotalRow(TableElement &table, int span, qint64 total, Qt::Alignment alignment)
{
    const int row = table.rowCount();
    table.cell(row, 0).setColumnSpan(span);
    table.cell(row, 0).addElement(TextElement(QStringLiteral("ИТОГО")), Qt::AlignLeft);
    table.cell(row, span).addElement(TextElement(rubles(total)), alignment);
}

// Each row is rounded to kopecks once and the total is the sum of what the
// rows print, so that the figures, the words and "ИТОГО" always agree.
TableElement servicesTable(const QJsonArray &stays, qint64 *total)
{
    TableElement table = amountsTable(
        {QStringLiteral("№ п/п"), QStringLiteral("Наименование услуги"), QStringLiteral("Номер"),
         QStringLiteral("Мест занято"), QStringLiteral("Период оказания услуги"),
         QStringLiteral("Тариф за 1 место, сут/час"), QStringLiteral("Кол-во сут/час"),
         QStringLiteral("Сумма")},
        {3, 15, 25, 7, 15, 15, 8, 10});
    table.setWidth(100);
    *total = 0;
    for (int i = 0; i < stays.size(); ++i) {
        const QJsonObject stay = stays.at(i).toObject();
        const qint64 cost = Money::toKopecks(numberAt(stay, "cost"));
        *total += cost;
        addAmountsRow(
            table,
            {QString::number(i + 1), QStringLiteral("Проживание"),
             QStringLiteral("%1 /%2/").arg(textAt(stay, "room.number"),
                                           textAt(stay, "room.description")),
             integerAt(stay, "rate.size"),
             QStringLiteral("%1 - %2").arg(Global::formatDateTime(textAt(stay, "inDate")),
                                           Global::formatDateTime(textAt(stay, "outDate"))),
             QStringLiteral("%1 / %2").arg(Money::format(numberAt(stay, "rate.cost")),
                                           Money::format(numberAt(stay, "rate.hourCost"))),
             QStringLiteral("%1 / %2").arg(integerAt(stay, "days"), integerAt(stay, "hours")),
             rubles(cost)});
    }
    addTotalRow(table, 7, *total, Qt::AlignLeft);
    return table;
}

TableElement paymentsTable(const QJsonArray &payments, qint64 *total)
{
    TableElement table =
        amountsTable({QStringLiteral("№ п/п"), QStringLiteral("Дата оплаты"),
                      QStringLiteral("Способ оплаты"), QStringLiteral("Оплачено")},
                     {3, 15, 15, 15});
    *total = 0;
    for (int i = 0; i < payments.size(); ++i) {
        const QJsonObject payment = payments.at(i).toObject();
        const qint64 summ = Money::toKopecks(numberAt(payment, "summ"));
        *total += summ;
        addAmountsRow(table, {QString::number(i + 1),
                              Global::formatDate(textAt(payment, "payDate")),
                              textAt(payment, "payType.name"), rubles(summ)});
    }
    addTotalRow(table, 3, *total, Qt::AlignRight);
    return table;
}

TableElement signatureTable(const QJsonObject &person)
{
    const QString underline(16, QLatin1Char('_'));
    const QStringList cells{
        QStringLiteral("Кассир"), underline, LoginManager::instance()->getName(),
        QStringLiteral("Счёт получил"), underline, Global::toShort(textAt(person, "fullname"))};
    TableElement table;
    table.setBorder(0);
    for (int i = 0; i < cells.size(); ++i)
        table.cell(i / 3, i % 3).addElement(TextElement(cells.at(i)));
    return table;
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
    ReportLayout::BusyIndicator busy;
    DocumentParts::setUpPage(report);

    const QString personPath = QStringLiteral("/persons/%1").arg(personId);
    const QJsonObject organization = DocumentParts::organization(manager);
    // A list that could not be read is no list without rows: a bill summed
    // from it would ask the guest for money he has paid, or for none.
    QStringList unread;
    const auto read = [&](const QString &path, const QString &what) {
        bool failed = false;
        const QJsonDocument document = ReportReply::fetch(manager, path, &failed);
        if (failed || document.isNull() || Global::isFailureEnvelope(document))
            unread << what;
        return document;
    };
    const QJsonObject person = read(personPath, QStringLiteral("сведения о физическом лице")).object();
    const QJsonArray stays =
        read(personPath + QStringLiteral("/accommodation"), QStringLiteral("проживание")).array();
    const QJsonArray payments =
        read(personPath + QStringLiteral("/payments"), QStringLiteral("оплаты")).array();
    if (!unread.isEmpty()) {
        withhold(QStringLiteral("Счёт не сформирован: не удалось загрузить %1. Сформируйте его "
                                "снова, когда сервер ответит.")
                     .arg(unread.join(QStringLiteral(", "))));
        return;
    }

    const QList<TextElement> header = DocumentParts::header(organization);
    const TextElement title = DocumentParts::text(
        QStringLiteral("СЧЕТ №%1\tот %2")
            .arg(integerAt(person, "billNum"),
                 Clock::today().toString(QStringLiteral("dd.MM.yyyy"))),
        0, 12);
    const TableElement information =
        informationTable(person, stays.at(0).toObject(), payments.at(0).toObject());
    qint64 servicesTotal = 0;
    const TableElement services = servicesTable(stays, &servicesTotal);
    qint64 paidTotal = 0;
    const TableElement paid = paymentsTable(payments, &paidTotal);
    const TableElement signatures = signatureTable(person);
    const QStringList sums{
        sumLine(QStringLiteral("Сумма счёта: %1 руб. (%2 рублей %3 копеек)\t\tНДС не облагается"),
                servicesTotal),
        sumLine(QStringLiteral("Оплачено: %1 руб. (%2 рублей %3 копеек)"), paidTotal),
        sumLine(QStringLiteral("К оплате: %1 руб. (%2 рублей %3 копеек)"),
                servicesTotal - paidTotal)};
    const QString comment = textAt(organization, "comment");
    ReportEngine::HLineElement line;
    line.setDashed(true);

    // A copy that does not fit under the one before starts on a page of its
    // own, so that no page holds only the tail of a copy.
    for (int copy = 0; copy < 2; ++copy) {
        report.beginKeepTogether();
        for (const TextElement &element : header)
            report.addElement(element, Qt::AlignLeft);
        report.addVerticalSpacing(5);
        report.addElement(title, Qt::AlignHCenter);
        report.addElement(information, Qt::AlignLeft);
        report.addVerticalSpacing(5);
        report.addElement(services, Qt::AlignLeft);
        report.addVerticalSpacing(5);
        report.addElement(paid, Qt::AlignLeft);
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
        report.endKeepTogether();
    }
}
