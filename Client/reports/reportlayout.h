#pragma once

#include <QDate>
#include <QList>
#include <QPageLayout>
#include <QString>
#include <QtGlobal>

#include <textelement.h>

namespace ReportEngine {
class Report;
class TableElement;
}  // namespace ReportEngine

// What the statistical reports lay out alike.
namespace ReportLayout {

// Shows the busy indicator for one build and hides it however the build
// ends, early returns on an odd reply included.
class BusyIndicator
{
public:
    BusyIndicator();
    ~BusyIndicator();
    BusyIndicator(const BusyIndicator &) = delete;
    BusyIndicator &operator=(const BusyIndicator &) = delete;
};

// The page after the common header: margins in millimetres, the orientation
// and the default font "Times new roman" 9 pt, which replace the header
// template's own.
void setUpPage(ReportEngine::Report &report, QPageLayout::Orientation orientation, qreal top,
               qreal left, qreal bottom, qreal right);

// A text with the library's integer argument, bold only when asked.
ReportEngine::TextElement text(const QString &text, int argument = 0, bool bold = false);

// Adds a text as a new paragraph of the cell.
void put(ReportEngine::TableElement &table, int row, int column, const QString &text,
         Qt::Alignment alignment = Qt::AlignLeft, int argument = 0);

// A column of a report's main table: its header text, its width in percent
// and the alignment of the header.
struct Column
{
    QString header;
    qreal width;
    Qt::Alignment alignment;
};
// Row 0 of the table from `columns`: one header row, the header column count
// (the number of columns unless given), the width in percent (0: not set)
// and the columns' widths.
void setUpTable(ReportEngine::TableElement &table, const QList<Column> &columns,
                qreal widthPercent = 100, int headerColumns = -1);

// a − b from the two amounts as printed, so that it always agrees with them
// and a settled difference reads "0.00", never "-0.00".
QString moneyDifference(double a, double b);

// Filter defaults: the first and last day of the current year, and a day
// as the filters hand it on.
QDate firstDayOfYear();
QDate lastDayOfYear();
QString dayText(const QDate &date);

}  // namespace ReportLayout
