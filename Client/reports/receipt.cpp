#include "receipt.h"

#include "documentparts.h"
#include "global.h"
#include "money.h"

#include <hlineelement.h>
#include <report.h>
#include <tableelement.h>
#include <textelement.h>

using DocumentParts::numberAt;
using DocumentParts::textAt;
using ReportEngine::TableElement;
using ReportEngine::TextElement;

Receipt::Receipt(QObject *parent)
    : ExtendedReport(parent)
{
}

Receipt::~Receipt() = default;

void Receipt::setPerson(const QString &name)
{
    person = name;
}

void Receipt::setObject(const QJsonObject &receipt)
{
    object = receipt;
}

void Receipt::build(ReportEngine::Report &report, QMap<QString, QVariant>)
{
    DocumentParts::setUpPage(report);
    const QJsonObject organization = DocumentParts::organization(manager);

    // Only the receipt carries the taxpayer numbers, under the name.
    QList<TextElement> header = DocumentParts::header(organization);
    header.insert(1, DocumentParts::text(QStringLiteral("ИНН %1 КПП %2")
                                             .arg(textAt(organization, "inn"),
                                                  textAt(organization, "kpp")),
                                         2, 8));
    const TextElement title = DocumentParts::text(
        QStringLiteral("Квитанция №%1").arg(object.value(QStringLiteral("number")).toInt()), 1, 12);
    const TextElement subtitle = DocumentParts::text(QStringLiteral("(на оплату услуг)"), 0, 12);
    ReportEngine::HLineElement line;
    line.setDashed(true);

    // Presence alone decides: a record whose "extraService" is null or not
    // an object still prints as an extra service.
    const bool extraService = object.contains(QStringLiteral("extraService"));
    TableElement information;
    information.setBorder(0);
    const QStringList informationCells{
        QStringLiteral("ФИО заказчика:"), person, QStringLiteral("Период оказания услуги:"),
        QStringLiteral("%1 - %2").arg(Global::formatDate(textAt(object, "startDate")),
                                      Global::formatDate(textAt(object, "endDate"))),
        QStringLiteral("Основание:"),
        textAt(object, extraService ? "extraService.base" : "curriculum.base")};
    for (int i = 0; i < informationCells.size(); ++i)
        information.cell(i / 2, i % 2).addElement(TextElement(informationCells.at(i)));

    QStringList serviceCells;
    double amount = 0;
    if (extraService) {
        amount = numberAt(object, "summ");
        serviceCells = QStringList{textAt(object, "extraService.name"),
                                   textAt(object, "extraService.measurement"),
                                   Money::format(numberAt(object, "extraService.rate")),
                                   object.value(QStringLiteral("amount")).toVariant().toString()};
    } else {
        amount = numberAt(object, "summ")
                 * Global::traverseJson(object, "payType.attribute").toInt();
        serviceCells = QStringList{textAt(object, "curriculum.name"), QStringLiteral("услуга"),
                                   Money::format(numberAt(object, "curriculum.cost")),
                                   QStringLiteral("1")};
    }
    const Money::Spelled total = Money::spell(amount);
    serviceCells.append(total.figures);

    TableElement service;
    service.setWidth(100);
    service.setHeaderRowCount(1);
    service.setHeaderColumnCount(5);
    const QStringList labels{QStringLiteral("Наименование услуги"), QStringLiteral("Ед. изм."),
                             QStringLiteral("Цена"), QStringLiteral("Кол-во"),
                             QStringLiteral("Сумма, руб.")};
    const QList<Qt::Alignment> alignments{Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight,
                                          Qt::AlignLeft, Qt::AlignRight};
    for (int column = 0; column < labels.size(); ++column) {
        service.cell(0, column).addElement(TextElement(labels.at(column)), alignments.at(column));
        service.cell(1, column).addElement(TextElement(serviceCells.at(column)),
                                           alignments.at(column));
    }
    service.cell(2, 0).setColumnSpan(4);
    service.cell(2, 0).addElement(TextElement(QStringLiteral("ИТОГО")), Qt::AlignLeft);
    service.cell(2, 4).addElement(TextElement(total.figures), Qt::AlignRight);

    TableElement signatures;
    signatures.setBorder(0);
    const QString underline(18, QLatin1Char('_'));
    const QList<QStringList> signatureRows{
        {QStringLiteral("Сумма прописью:"),
         QStringLiteral("%1 рублей %2 копеек").arg(total.words, total.kopecks),
         QStringLiteral("НДС не облагается")},
        {QStringLiteral("Оплатил заказчик:"), underline + Global::toShort(person), QString()},
        {QStringLiteral("Принял кассир:"), underline + textAt(object, "cassir.name"), QString()},
        {QStringLiteral("Дата оплаты:"), Global::formatDate(textAt(object, "payDate")), QString()}};
    for (int row = 0; row < signatureRows.size(); ++row) {
        for (int column = 0; column < 3; ++column)
            signatures.cell(row, column).addElement(TextElement(signatureRows.at(row).at(column)));
    }

    for (int copy = 0; copy < 2; ++copy) {
        for (const TextElement &element : header)
            report.addElement(element, Qt::AlignLeft);
        report.addVerticalSpacing(5);
        report.addElement(title, Qt::AlignHCenter);
        report.addElement(subtitle, Qt::AlignHCenter);
        report.addVerticalSpacing(5);
        report.addElement(information, Qt::AlignLeft);
        report.addVerticalSpacing(5);
        report.addElement(service, Qt::AlignLeft);
        report.addVerticalSpacing(5);
        report.addElement(signatures, Qt::AlignLeft);
        report.addElement(line, Qt::AlignLeft);
    }
}
