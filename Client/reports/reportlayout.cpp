#include "reportlayout.h"

#include "clock.h"
#include "global.h"
#include "money.h"

#include <report.h>
#include <tableelement.h>
#include <textelement.h>

#include <QFont>

namespace ReportLayout {

BusyIndicator::BusyIndicator()
{
    Global::showPreloader(nullptr);
}

BusyIndicator::~BusyIndicator()
{
    Global::hidePreloader();
}

void setUpPage(ReportEngine::Report &report, QPageLayout::Orientation orientation, qreal top,
               qreal left, qreal bottom, qreal right)
{
    report.setMargins(top, left, bottom, right);
    report.setPageOrientation(orientation);
    report.setDefaultFont(QFont(QStringLiteral("Times new roman"), 9));
}

ReportEngine::TextElement text(const QString &text, int argument, bool bold)
{
    ReportEngine::TextElement element(text, argument);
    if (bold)
        element.setBold(true);
    return element;
}

void put(ReportEngine::TableElement &table, int row, int column, const QString &content,
         Qt::Alignment alignment, int argument)
{
    table.cell(row, column).addElement(text(content, argument), alignment);
}

void setUpTable(ReportEngine::TableElement &table, const QList<Column> &columns, qreal widthPercent,
                int headerColumns)
{
    table.setHeaderRowCount(1);
    table.setHeaderColumnCount(headerColumns < 0 ? int(columns.size()) : headerColumns);
    if (widthPercent > 0)
        table.setWidth(widthPercent);
    QList<qreal> widths;
    for (int i = 0; i < columns.size(); ++i) {
        widths << columns.at(i).width;
        put(table, 0, i, columns.at(i).header, columns.at(i).alignment);
    }
    table.setColumnConstraints(widths);
}

QString moneyDifference(double a, double b)
{
    return Money::format(Money::toKopecks(a) - Money::toKopecks(b));
}

QDate firstDayOfYear()
{
    return QDate(Clock::today().year(), 1, 1);
}

QDate lastDayOfYear()
{
    return QDate(Clock::today().year(), 12, 31);
}

QString dayText(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

}  // namespace ReportLayout
