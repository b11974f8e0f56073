#include "reportbuilder.h"

#include "autotableelement.h"
#include "hlineelement.h"
#include "report.h"
#include "spacerelement.h"
#include "tableelement.h"
#include "textelement.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <optional>

// The resolution that text formats' lengths are given in; exported by QtGui,
// not declared in its public headers.
Q_GUI_EXPORT int qt_defaultDpiY();

namespace ReportEngine {

namespace {

constexpr qreal RuleThicknessMm = 0.25;
constexpr qreal RuleSpaceMm = 1.0;

// Tables of the body longer than this are split at page breaks into pieces
// of about this many rows.
constexpr int PieceRows = 300;

Qt::Alignment horizontal(Qt::Alignment alignment)
{
    const Qt::Alignment h = alignment & Qt::AlignHorizontal_Mask;
    return h ? h : Qt::AlignLeft;
}

// Where a cell's contents stand between its top and bottom; top unless the
// alignment says otherwise.
QTextCharFormat::VerticalAlignment vertical(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignVCenter)
        return QTextCharFormat::AlignMiddle;
    if (alignment & Qt::AlignBottom)
        return QTextCharFormat::AlignBottom;
    return QTextCharFormat::AlignNormal;
}

// The cell's format, which carries its span, is replaced rather than merged:
// set it before the contents are written.
void formatCell(QTextTable *table, int row, int column, QTextTableCellFormat format,
                Qt::Alignment alignment)
{
    const QTextCharFormat::VerticalAlignment position = vertical(alignment);
    if (position != QTextCharFormat::AlignNormal)
        format.setVerticalAlignment(position);
    if (!format.properties().isEmpty())
        table->cellAt(row, column).setFormat(format);
}

void writeCellText(QTextTable *table, int row, int column, const QString &text,
                   Qt::Alignment alignment)
{
    QTextCursor cursor = table->cellAt(row, column).firstCursorPosition();
    QTextBlockFormat format;
    format.setAlignment(horizontal(alignment));
    cursor.setBlockFormat(format);
    cursor.insertText(text, QTextCharFormat());
}

}  // namespace

ReportBuilder::ReportBuilder(const QTextCursor &cursor, Flow flow)
    : m_cursor(cursor)
    , m_flow(flow)
{
}

void ReportBuilder::setPlanning(bool planning)
{
    m_planning = planning;
}

bool ReportBuilder::planMissed() const
{
    return m_planMissed;
}

qreal ReportBuilder::formatUnitsPerMillimetre()
{
    return qt_defaultDpiY() / 25.4;
}

void ReportBuilder::add(const PlacedElement &placed)
{
    if (!placed.element)
        return;
    m_placement = placed;
    placed.element->build(*this);
}

void ReportBuilder::startParagraph(const QTextBlockFormat &blockFormat,
                                   const QTextCharFormat &charFormat)
{
    if (m_state == State::Start || m_state == State::AfterTable) {
        if (m_cursor.blockFormat() != blockFormat)
            m_cursor.setBlockFormat(blockFormat);
        // A reused block's character format may be a table's: the first block
        // of a cell holds the cell's format (its span among it), the block
        // after a table the table's end mark. Add to it, never replace it.
        if (!charFormat.properties().isEmpty())
            m_cursor.mergeBlockCharFormat(charFormat);
    } else {
        m_cursor.insertBlock(blockFormat, charFormat);
    }
}

void ReportBuilder::writeText(const TextElement &text)
{
    const QTextCharFormat charFormat = text.charFormat();
    if (!(m_placement.isInline && m_state == State::Paragraph)) {
        QTextBlockFormat blockFormat;
        blockFormat.setAlignment(horizontal(m_placement.alignment));
        if (m_placement.background.style() != Qt::NoBrush)
            blockFormat.setBackground(m_placement.background);
        // The paragraph mark carries the text's format too, so that an empty
        // text still takes the height of its own font.
        startParagraph(blockFormat, charFormat);
        m_state = State::Paragraph;
    }
    m_cursor.insertText(text.text(), charFormat);
}

void ReportBuilder::writeSpacer(const SpacerElement &spacer)
{
    QTextBlockFormat blockFormat;
    blockFormat.setLineHeight(spacer.height() * formatUnitsPerMillimetre(),
                              QTextBlockFormat::FixedHeight);
    blockFormat.setProperty(Report::VerticalSpacingProperty, spacer.height());
    // The block after a table is drawn without height, so space after a
    // table needs a block of its own.
    if (m_state == State::Start) {
        m_cursor.setBlockFormat(blockFormat);
    } else {
        m_cursor.insertBlock(blockFormat, QTextCharFormat());
    }
    m_state = State::Spacer;
}

QTextTableFormat ReportBuilder::tableFormat(qreal border, qreal paddingMm, qreal widthPercent) const
{
    QTextTableFormat format;
    format.setCellSpacing(0);
    format.setMargin(0);
    format.setCellPadding(paddingMm * formatUnitsPerMillimetre());
    // Separated borders with no spacing: every cell draws its own frame and
    // the table one around them all, so each grid line is two halves side
    // by side. Collapsed borders would share one line, but Qt draws their
    // inner grid one layout pixel wide whatever the width asked (nothing at
    // all below 1) and looks up the neighbours of every cell edge, which
    // made long tables several times slower to lay out and print.
    //
    // Each half is a whole number of layout pixels, since Qt rounds border
    // rectangles to whole pixels and halves that are not would leave gaps
    // where a table continues on a new page; at least one pixel, so that any
    // border above 0 draws a hairline (two pixels, 0.085 mm) rather than
    // nothing.
    if (border > 0) {
        const int halfPixels = qMax(1, qRound(border / 2 * LayoutDpi / 96.0));
        format.setBorder(halfPixels * qt_defaultDpiY() / LayoutDpi);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(Qt::black);
    } else {
        format.setBorder(0);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    }
    if (widthPercent > 0)
        format.setWidth(QTextLength(QTextLength::PercentageLength, widthPercent));
    return format;
}

QTextTable *ReportBuilder::insertTable(int rows, int columns, QTextTableFormat format)
{
    format.setAlignment(horizontal(m_placement.alignment));
    if (m_placement.background.style() != Qt::NoBrush)
        format.setBackground(m_placement.background);
    QTextTable *table = m_cursor.insertTable(rows, columns, format);
    m_cursor.setPosition(table->lastPosition() + 1);
    m_state = State::AfterTable;
    return table;
}

void ReportBuilder::writeRule(const HLineElement &rule)
{
    const qreal unitsPerMm = formatUnitsPerMillimetre();
    QTextTableFormat format = tableFormat(0, 0, 100);
    // Only collapsed borders let a cell draw one side of its own.
    format.setBorderCollapse(true);
    format.setBottomMargin(RuleSpaceMm * unitsPerMm);
    format.setProperty(HLineElement::RuleProperty, rule.isDashed());
    QTextTable *table = insertTable(1, 1, format);

    QTextTableCell cell = table->cellAt(0, 0);
    QTextTableCellFormat cellFormat;
    cellFormat.setTopPadding(RuleSpaceMm * unitsPerMm);
    cellFormat.setBottomPadding(0);
    cellFormat.setLeftPadding(0);
    cellFormat.setRightPadding(0);
    cellFormat.setBottomBorder(RuleThicknessMm * unitsPerMm);
    cellFormat.setBottomBorderStyle(rule.isDashed() ? QTextFrameFormat::BorderStyle_Dashed
                                                    : QTextFrameFormat::BorderStyle_Solid);
    cellFormat.setBottomBorderBrush(Qt::black);
    cell.setFormat(cellFormat);

    QTextBlockFormat blockFormat;
    blockFormat.setLineHeight(0, QTextBlockFormat::FixedHeight);
    cell.firstCursorPosition().setBlockFormat(blockFormat);
}

void ReportBuilder::writeTable(const TableElement &element)
{
    const int rows = element.rowCount();
    const int columns = element.columnCount();
    if (rows == 0 || columns == 0)
        return;

    QTextTableFormat format = tableFormat(element.border(), element.padding(), element.width());
    const int headerRows = qMin(element.headerRowCount(), rows);
    format.setHeaderRowCount(headerRows);

    const QList<qreal> &constraints = element.columnConstraints();
    if (!constraints.isEmpty()) {
        const int stated = qMin(int(constraints.size()), columns);
        qreal total = 0;
        for (int i = 0; i < stated; ++i)
            total += qMax<qreal>(0, constraints.at(i));
        const qreal scale = total > 100 ? 100 / total : 1;
        QList<QTextLength> widths;
        widths.reserve(columns);
        for (int i = 0; i < columns; ++i) {
            if (i < stated && constraints.at(i) > 0)
                widths << QTextLength(QTextLength::PercentageLength, constraints.at(i) * scale);
            else
                widths << QTextLength(QTextLength::VariableLength, 0);
        }
        format.setColumnWidthConstraints(widths);
    }

    writeRows(rows, columns, headerRows, format,
              [&element, columns](QTextTable *table, int at, int from, int count) {
                  // All merges first: a merge invalidates the table's cell grid,
                  // and rebuilding it between cell writes would cost a pass over
                  // the table each time.
                  struct Filled
                  {
                      int row;
                      int column;
                      const Cell *cell;
                  };
                  std::vector<Filled> filled;
                  filled.reserve(size_t(count) * size_t(columns));
                  for (int row = 0; row < count; ++row) {
                      for (int column = 0; column < columns;) {
                          const Cell *cell = element.cellAt(from + row, column);
                          const int span = cell ? qMin(cell->columnSpan(), columns - column) : 1;
                          if (span > 1)
                              table->mergeCells(at + row, column, 1, span);
                          if (cell && !cell->isEmpty())
                              filled.push_back({at + row, column, cell});
                          column += span;
                      }
                  }

                  for (const Filled &entry : filled) {
                      // The cell stands as the first of its elements that asks
                      // for a vertical alignment.
                      for (const PlacedElement &item : entry.cell->m_items) {
                          if (item.alignment & Qt::AlignVertical_Mask) {
                              formatCell(table, entry.row, entry.column, QTextTableCellFormat(),
                                         item.alignment);
                              break;
                          }
                      }
                      ReportBuilder cellBuilder(
                              table->cellAt(entry.row, entry.column).firstCursorPosition());
                      for (const PlacedElement &item : entry.cell->m_items)
                          cellBuilder.add(item);
                  }
              });
}

void ReportBuilder::writeAutoTable(const AutoTableElement &element)
{
    const std::shared_ptr<const AutoTableElement::Contents> contents = element.contents();
    if (contents->columnCount == 0)
        return;

    const int offset = element.isVerticalHeaderVisible() ? 1 : 0;
    const int rows = contents->rowCount + 1;
    const int columns = contents->columnCount + offset;

    QTextTableFormat format = tableFormat(element.border(), element.padding(), element.width());
    format.setHeaderRowCount(1);

    QTextTableCellFormat headerFormat;
    if (element.headerBackground().style() != Qt::NoBrush)
        headerFormat.setBackground(element.headerBackground());

    // Source row 0 is the header, row r + 1 the model's row r.
    writeRows(rows, columns, 1, format,
              [contents, offset, headerFormat](QTextTable *table, int at, int from, int count) {
                  for (int row = from; row < from + count; ++row) {
                      const int target = at + row - from;
                      if (row == 0) {
                          for (int column = 0; column < contents->columnCount; ++column) {
                              const Qt::Alignment alignment = contents->headerAlignments.at(column);
                              formatCell(table, target, column + offset, headerFormat, alignment);
                              writeCellText(table, target, column + offset,
                                            contents->headerTexts.at(column), alignment);
                          }
                          if (offset)
                              formatCell(table, target, 0, headerFormat, Qt::AlignHCenter);
                          continue;
                      }
                      if (offset) {
                          formatCell(table, target, 0, headerFormat, Qt::AlignHCenter);
                          writeCellText(table, target, 0,
                                        contents->verticalHeaderTexts.at(row - 1),
                                        Qt::AlignHCenter);
                      }
                      for (int column = 0; column < contents->columnCount; ++column) {
                          const int cellIndex = (row - 1) * contents->columnCount + column;
                          const Qt::Alignment alignment = contents->cellAlignments.at(cellIndex);
                          formatCell(table, target, column + offset, QTextTableCellFormat(),
                                     alignment);
                          writeCellText(table, target, column + offset,
                                        contents->cellTexts.at(cellIndex), alignment);
                      }
                  }
              });
}

void ReportBuilder::writeRows(int rows, int columns, int headerRows, QTextTableFormat format,
                              const RowWriter &write)
{
    if (m_flow == Flow::Body && rows - headerRows > PieceRows
        && m_cursor.document()->pageSize().height() > 0) {
        writeSplit(rows, columns, headerRows, std::move(format), write);
        return;
    }
    QTextTable *table = insertTable(rows, columns, format);
    write(table, 0, 0, rows);
}

namespace {

// Qt's layout keeps lengths in 64ths of a pixel, cut towards zero.
int toFixed(qreal value)
{
    return int(value * 64);
}

int roundFixed(int value)
{
    return (value + 32) & -64;
}

qreal fromFixed(int value)
{
    return value / 64.0;
}

// The page on which something that ends at `bottom` ends: within a pixel
// of the edge, so that rounding never turns a page.
int endPage(const QTextDocument &document, qreal bottom)
{
    return int(std::floor((bottom - 1) / document.pageSize().height()));
}

// The last page that a row's contents reach.
int lastPage(QTextTable *table, int row)
{
    const QTextDocument *document = table->document();
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    int page = 0;
    for (int column = 0; column < table->columns();) {
        const QTextTableCell cell = table->cellAt(row, column);
        const QRectF box = layout->blockBoundingRect(document->findBlock(cell.lastPosition()));
        page = qMax(page, endPage(*document, box.bottom()));
        column += cell.columnSpan();
    }
    return page;
}

// Qt places the contents of a cell aligned to the middle or the bottom below
// the top of its row; any other cell's first paragraph starts at the top.
bool standsAtTop(const QTextCharFormat &cellFormat)
{
    const QTextCharFormat::VerticalAlignment alignment = cellFormat.verticalAlignment();
    return alignment != QTextCharFormat::AlignMiddle && alignment != QTextCharFormat::AlignBottom;
}

// Layout pixels per format unit.
qreal layoutScaling(const QTextDocument &document)
{
    const QPaintDevice *device = document.documentLayout()->paintDevice();
    return device ? device->logicalDpiY() / qreal(qt_defaultDpiY()) : 1;
}

// A table's cell padding in layout pixels, cut as Qt's layout keeps it.
qreal cellPadding(QTextTable *table)
{
    return fromFixed(toFixed(table->format().cellPadding() * layoutScaling(*table->document())));
}

// The row's first cell whose text starts at the row's top; none when no
// cell's does.
std::optional<QTextTableCell> topCell(QTextTable *table, int row)
{
    for (int column = 0; column < table->columns();) {
        const QTextTableCell cell = table->cellAt(row, column);
        if (standsAtTop(cell.format()))
            return cell;
        column += cell.columnSpan();
    }
    return std::nullopt;
}

// Where the row's top edge lies: a cell's padding above the text of a cell
// whose text starts at the top; nothing when no cell's does.
std::optional<qreal> rowTop(QTextTable *table, int row)
{
    const std::optional<QTextTableCell> cell = topCell(table, row);
    if (!cell)
        return std::nullopt;
    const QTextDocument *document = table->document();
    const QRectF text = document->documentLayout()->blockBoundingRect(
            document->findBlock(cell->firstPosition()));
    return text.top() - cellPadding(table);
}

// Where a table stands. Qt's frameBoundingRect of a table stands where its
// first cell's text starts, as Qt adds that cell's place to the table's:
// below and after the table's margin, padding and border and the cells'
// spacing and border, each a whole number of pixels, and the cell's
// padding; lower still in a cell aligned to the middle or the bottom, so
// the first row's top is taken from a cell whose text starts there.
QRectF tableBox(QTextTable *table)
{
    const QTextDocument *document = table->document();
    const QTextTableFormat format = table->format();
    const qreal scaling = layoutScaling(*document);
    const auto whole = [scaling](qreal length) { return qreal(qRound(length * scaling)); };
    const qreal inset = whole(format.padding()) + 2 * whole(format.border())
            + whole(format.cellSpacing());
    QRectF box = document->documentLayout()->frameBoundingRect(table);
    const qreal padding = cellPadding(table);
    box.moveTopLeft(QPointF(box.left() - whole(format.leftMargin()) - inset - padding,
                            rowTop(table, 0).value_or(box.top() - padding)
                                    - whole(format.topMargin()) - inset));
    return box;
}

// Qt takes a place within a 128th of a page above a page's foot for the next
// page (it rounds its quotient by the page's height to 64ths), and starts a
// table or paragraph that is to begin a page after a table ending there a
// page further on, leaving a page blank. A long table's pieces end higher.
qreal footReserve(const QTextDocument &document)
{
    return document.pageSize().height() / 128 + 2;
}

// Whether a table that ends at `bottom` ends too low for its page.
bool endsTooLow(const QTextDocument &document, qreal bottom, int page)
{
    return bottom > (page + 1) * document.pageSize().height() - footReserve(document);
}

// The page on which the table's frame ends.
int tableEndPage(QTextTable *table)
{
    return endPage(*table->document(), tableBox(table).bottom());
}

// The page on which the table's frame starts.
int tableStartPage(QTextTable *table)
{
    return int(std::floor(tableBox(table).top() / table->document()->pageSize().height()));
}

// An empty document set up as `document` is, for measuring its contents.
void setUpLike(QTextDocument &scratch, const QTextDocument &document)
{
    scratch.setUndoRedoEnabled(false);
    scratch.documentLayout()->setPaintDevice(document.documentLayout()->paintDevice());
    scratch.setUseDesignMetrics(true);
    scratch.setDocumentMargin(document.documentMargin());
    scratch.setDefaultFont(document.defaultFont());
    scratch.setDefaultTextOption(document.defaultTextOption());
    scratch.setPageSize(QSizeF(document.pageSize().width(), -1));
}

// A long table's rows are measured this many at a time, each batch in a
// document of its own that is never laid out.
constexpr int ChunkRows = 500;

// A table of `rows` rows that `fill` writes, in the empty document
// `scratch`. In one edit, or every text written has Qt itemize its
// paragraph again to place the cursor.
template <typename Fill>
QTextTable *writeScratch(QTextDocument &scratch, int rows, int columns,
                         const QTextTableFormat &format, Fill fill)
{
    QTextCursor cursor(&scratch);
    cursor.beginEditBlock();
    QTextTable *table = cursor.insertTable(rows, columns, format);
    fill(table);
    cursor.endEditBlock();
    return table;
}

// The source rows [from, from + count) in `chunk`, set up as `document` is
// but never laid out, for measuring their cells one by one.
QTextTable *writeChunk(QTextDocument &chunk, const QTextDocument &document,
                       const QTextTableFormat &format, int columns, int from, int count,
                       const ReportBuilder::RowWriter &write)
{
    setUpLike(chunk, document);
    chunk.setLayoutEnabled(false);
    return writeScratch(chunk, count, columns, format,
                        [&](QTextTable *table) { write(table, 0, from, count); });
}

// The text option Qt's document layout lays a paragraph out with.
QTextOption paragraphOption(const QTextBlock &block)
{
    const QTextBlockFormat format = block.blockFormat();
    QTextOption option = block.document()->defaultTextOption();
    option.setTextDirection(block.textDirection());
    option.setTabs(format.tabPositions());
    if (format.nonBreakableLines())
        option.setWrapMode(QTextOption::ManualWrap);
    return option;
}

// Where the rows of a long table fall on pages that each hold one piece of
// it, the piece starting at the page's top: each row's height worked out from
// its cells' own text layouts the way Qt's table layout works it out, and the
// place of the first row and of the table's bottom edge read from a short
// table laid out on the same pages. A row it cannot work out (a table in a
// cell, a paragraph with margins) or higher than a page ends the plan.
class PagePlan
{
public:
    using RowWriter = ReportBuilder::RowWriter;

    PagePlan(const QTextDocument &document, const QTextTableFormat &format, int columns,
             int headerRows, int rows, const RowWriter &write)
        : m_document(document)
        , m_format(format)
        , m_columns(columns)
        , m_write(write)
        , m_scaling(ReportBuilder::LayoutDpi / qt_defaultDpiY())
        , m_padding(toFixed(format.cellPadding() * m_scaling))
        , m_heights(rows, Unmeasured)
    {
        measurePage(headerRows);
    }

    // Where the pages from row `from` on end, as long as the plan knows.
    QList<int> pages(int from, int rows)
    {
        QList<int> ends;
        if (!m_valid)
            return ends;
        const qreal pageHeight = m_document.pageSize().height();
        int row = from;
        while (row < rows) {
            const int start = row;
            qreal top = m_firstRowTop;
            while (row < rows) {
                const int height = rowHeight(row);
                if (height < 0)
                    return ends;
                if (top + fromFixed(height) + m_bottom > pageHeight - footReserve(m_document))
                    break;
                top += fromFixed(height) + m_gap;
                ++row;
            }
            if (row == start)
                return ends;  // a row higher than a page
            ends << row;
        }
        return ends;
    }

    // Where a table whose last row is the source row `row`, its top at `top`,
    // ends; nothing when the plan does not know.
    std::optional<qreal> bottomAfter(int row, qreal top)
    {
        const int height = m_valid ? rowHeight(row) : -1;
        if (height < 0)
            return std::nullopt;
        return top + fromFixed(height) + m_bottom;
    }

private:
    static constexpr int Unmeasured = -2;

    // The header and two empty rows at the top of a page: the first row's
    // place, the step from row to row besides its height, the bottom edge
    // below the last, and the width of each column's text.
    void measurePage(int headerRows)
    {
        QTextDocument scratch;
        setUpLike(scratch, m_document);
        scratch.setPageSize(m_document.pageSize());
        scratch.rootFrame()->setFrameFormat(m_document.rootFrame()->frameFormat());
        QTextTable *table = writeScratch(scratch, headerRows + 2, m_columns, m_format,
                                         [&](QTextTable *t) { m_write(t, 0, 0, headerRows); });

        QAbstractTextDocumentLayout *layout = scratch.documentLayout();
        const QRectF frame = tableBox(table);
        const auto block = [table](int row, int column) {
            return table->cellAt(row, column).firstCursorPosition().block();
        };
        for (int column = 0; column < m_columns; ++column) {
            const QTextBlock text = block(headerRows, column);
            m_left << layout->blockBoundingRect(text).left();
            m_width << text.layout()->lineAt(0).width();
        }
        const qreal first = layout->blockBoundingRect(block(headerRows, 0)).top();
        const qreal second = layout->blockBoundingRect(block(headerRows + 1, 0)).top();
        const qreal pageHeight = scratch.pageSize().height();
        const qreal pageTop = std::floor(first / pageHeight) * pageHeight;

        const int empty = heightOf(table, headerRows);
        if (empty < 0 || endPage(scratch, frame.bottom()) * pageHeight != pageTop)
            return;
        m_firstRowTop = first - fromFixed(m_padding) - pageTop;
        m_gap = second - first - fromFixed(empty);
        m_bottom = frame.bottom() - (second - fromFixed(m_padding) + fromFixed(empty));
        m_valid = true;
    }

    int rowHeight(int row)
    {
        if (m_heights.at(row) == Unmeasured)
            measureRows(row);
        return m_heights.at(row);
    }

    // The rows from `from` on, written without a layout and measured; none
    // of them when a table stands in one of their cells.
    void measureRows(int from)
    {
        const int count = qMin(ChunkRows, int(m_heights.size()) - from);
        QTextDocument chunk;
        QTextTable *table =
                writeChunk(chunk, m_document, m_format, m_columns, from, count, m_write);
        const bool nested = !table->childFrames().isEmpty();
        for (int row = 0; row < count; ++row)
            m_heights[from + row] = nested ? -1 : heightOf(table, row);
    }

    // The row's height as Qt's table layout makes it: the tallest cell's
    // text and paddings, rounded to a whole pixel; -1 when not known. The
    // engine gives cells no paddings of their own and spans no rows.
    int heightOf(QTextTable *table, int row)
    {
        int height = 0;
        for (int column = 0; column < m_columns;) {
            const QTextTableCell cell = table->cellAt(row, column);
            const int span = cell.columnSpan();
            const int last = column + span - 1;
            const int text = textHeight(*table->document(), cell,
                                        m_left.at(last) + m_width.at(last) - m_left.at(column));
            if (text < 0)
                return -1;
            height = qMax(height, roundFixed(text + 2 * m_padding));
            column += span;
        }
        return height;
    }

    // The cell's paragraphs laid out one below the other at the width, each
    // line as high as Qt's document layout makes it.
    int textHeight(const QTextDocument &document, const QTextTableCell &cell, qreal width)
    {
        int y = 0;
        const int end = cell.lastPosition();
        for (QTextBlock block = document.findBlock(cell.firstPosition());
             block.isValid() && block.position() <= end; block = block.next()) {
            const int height = paragraphHeight(block, width);
            if (height < 0)
                return -1;
            y += height;
        }
        return y;
    }

    // Many cells repeat a text (dates, amounts, a payer), so each text is
    // laid out once for its formats and width.
    int paragraphHeight(const QTextBlock &block, qreal width)
    {
        const QTextBlockFormat format = block.blockFormat();
        if (format.topMargin() != 0 || format.bottomMargin() != 0 || format.leftMargin() != 0
            || format.rightMargin() != 0 || format.indent() != 0 || format.textIndent() != 0)
            return -1;
        Paragraph paragraph{width, format, block.charFormat(), {}, 0};
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
            paragraph.fragments.append({it.fragment().length(), it.fragment().charFormat()});
        QList<Paragraph> &known = m_paragraphs[block.text()];
        for (const Paragraph &other : std::as_const(known)) {
            if (other.sameAs(paragraph))
                return other.height;
        }

        QTextLayout *layout = block.layout();
        layout->setTextOption(paragraphOption(block));
        layout->beginLayout();
        int y = 0;
        int bottom = 0;
        while (true) {
            QTextLine line = layout->createLine();
            if (!line.isValid())
                break;
            line.setLeadingIncluded(true);
            line.setLineWidth(width);
            const qreal raw = std::ceil(line.ascent() + line.descent() + line.leading());
            bottom = y + toFixed(format.lineHeight(line.height(), m_scaling));
            y += toFixed(format.lineHeight(raw, m_scaling));
        }
        layout->endLayout();
        paragraph.height = qMax(y, bottom);
        known.append(paragraph);
        return paragraph.height;
    }

    // A paragraph's height and what it depends on besides its text.
    struct Paragraph
    {
        qreal width;
        QTextBlockFormat format;
        QTextCharFormat mark;  // an empty paragraph is as high as its mark's font
        QList<std::pair<int, QTextCharFormat>> fragments;
        int height;

        bool sameAs(const Paragraph &other) const
        {
            return width == other.width && format == other.format && mark == other.mark
                    && fragments == other.fragments;
        }
    };

    const QTextDocument &m_document;
    const QTextTableFormat m_format;
    const int m_columns;
    const RowWriter m_write;
    const qreal m_scaling;  // layout pixels per format unit
    const int m_padding;
    QList<int> m_heights;
    QHash<QString, QList<Paragraph>> m_paragraphs;
    QList<qreal> m_left;   // where each column's text starts
    QList<qreal> m_width;  // and how wide it is
    bool m_valid = false;
    qreal m_firstRowTop = 0;
    qreal m_gap = 0;
    qreal m_bottom = 0;
};

bool everyRowHasTopCell(QTextTable *table)
{
    for (int row = 0; row < table->rows(); ++row) {
        if (!topCell(table, row))
            return false;
    }
    return true;
}

// Whether each of the `count` tables that end with `last` stands on a page
// of its own, from `page` on.
bool endsOnItsPage(QTextTable *last, qsizetype count, int page)
{
    const QList<QTextFrame *> frames = last->parentFrame()->childFrames();
    const qsizetype end = frames.indexOf(last) + 1;
    for (qsizetype i = end - count; i < end; ++i, ++page) {
        auto *table = qobject_cast<QTextTable *>(frames.at(i));
        if (!table || tableStartPage(table) != page || tableEndPage(table) != page)
            return false;
    }
    return true;
}

// The first data row that ends on the table's last page; the header rows
// when the data rows all end on one page.
int lastPageStart(QTextTable *table, int headerRows)
{
    int row = table->rows() - 1;
    const int page = lastPage(table, row);
    while (row > headerRows && lastPage(table, row - 1) == page)
        --row;
    return row;
}

}  // namespace

// Qt draws a table's outer border again for every page the table covers, on
// each page it prints, and its cost for a page grows with the table; a long
// table therefore printed in quadratic time into a PDF of quadratic size.
// Such a table is written as several, each with the header rows, cut where
// a page breaks, the next one starting on a new page: the header still
// stands at every page top and the pieces meet only at page breaks. The row
// that the break would have divided moves to the next page whole. Every
// piece has the column widths the whole table would have.
//
// The first piece, which starts where the body has come to, is measured as
// it is written, so the document is laid out as far as that: the caller's
// edit block is closed here and reopened at the end. The pieces after it are
// planned a page each and laid out once, then checked.
void ReportBuilder::writeSplit(int rows, int columns, int headerRows, QTextTableFormat format,
                               const RowWriter &write)
{
    const QList<QTextLength> constraints = format.columnWidthConstraints();
    const bool widthsFixed = format.width().type() == QTextLength::PercentageLength
            && constraints.size() == columns
            && std::all_of(constraints.cbegin(), constraints.cend(), [](const QTextLength &l) {
                   return l.type() != QTextLength::VariableLength;
               });
    if (!widthsFixed)
        format.setColumnWidthConstraints(measuredWidths(rows, columns, headerRows, format, write));

    m_cursor.endEditBlock();
    // A piece's cut is made in the same edit that adds the next piece: Qt
    // lays out again, from the last point it kept before an edit, every
    // table after it, so a cut made on its own would lay the piece out once
    // more.
    QTextTable *previous = nullptr;
    int previousCut = 0;
    int previousPage = 0;
    std::optional<PagePlan> plan;
    const auto cutPrevious = [&] {
        if (previous && previousCut < previous->rows())
            previous->removeRows(previousCut, previous->rows() - previousCut);
    };
    int next = headerRows;
    while (next < rows) {
        if (previous && m_planning && !m_planMissed) {
            QTextTableFormat pieceFormat = format;
            pieceFormat.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            if (!plan)
                plan.emplace(*m_cursor.document(), pieceFormat, columns, headerRows, rows, write);
            // The piece before ends where its rows leave off on its page; too
            // near the page's foot (see footReserve), its last row moves on.
            while (previousCut > headerRows + 1) {
                const std::optional<qreal> top = rowTop(previous, previousCut - 1);
                const std::optional<qreal> bottom =
                        top ? plan->bottomAfter(next - 1, *top) : std::nullopt;
                if (!bottom || !endsTooLow(*m_cursor.document(), *bottom, previousPage))
                    break;
                --previousCut;
                --next;
                previousPage = lastPage(previous, previousCut - 1);
            }
            const QList<int> ends = plan->pages(next, rows);
            if (!ends.isEmpty()) {
                m_cursor.beginEditBlock();
                cutPrevious();
                QTextTable *last = writePlanned(next, ends, headerRows, columns, pieceFormat, write);
                m_cursor.endEditBlock();
                m_planMissed =
                        endsTooLow(*m_cursor.document(), tableBox(previous).bottom(), previousPage)
                        || !endsOnItsPage(last, ends.size(), previousPage + 1);
                previous = last;
                previousCut = previous->rows();
                previousPage = tableEndPage(previous);
                next = ends.last();
                continue;
            }
        }

        int count = qMin(PieceRows, rows - next);
        m_cursor.beginEditBlock();
        cutPrevious();
        QTextTable *table = insertTable(headerRows + count, columns, format);
        write(table, 0, 0, headerRows);
        write(table, headerRows, next, count);
        m_cursor.endEditBlock();

        // The piece before must end above its page's foot (see footReserve);
        // when it does not, its last row goes with the rows after it.
        while (previous && previous->rows() > headerRows + 1
               && endsTooLow(*m_cursor.document(), tableBox(previous).bottom(), previousPage)) {
            m_cursor.beginEditBlock();
            previous->removeRows(previous->rows() - 1, 1);
            table->insertRows(headerRows, 1);
            write(table, headerRows, --next, 1);
            m_cursor.endEditBlock();
            ++count;
        }

        // The last page of a piece goes to the next one, unless it is the
        // table's end; a piece that has not filled its first page grows.
        previousCut = headerRows + count;
        while (next + count < rows) {
            const int cut = lastPageStart(table, headerRows);
            if (cut > headerRows) {
                previousCut = cut;
                previousPage = lastPage(table, cut - 1);
                count = cut - headerRows;
                break;
            }
            const int more = qMin(PieceRows, rows - next - count);
            m_cursor.beginEditBlock();
            table->appendRows(more);
            write(table, headerRows + count, next + count, more);
            m_cursor.endEditBlock();
            count += more;
        }
        previous = table;
        next += count;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    m_cursor.beginEditBlock();
}

// A piece for each planned page, from row `from` on to each end in turn;
// returns the last.
//
// Qt draws the border of every cell as four edges of its own, which made a
// long table slow to print and its PDF large. A piece that stands on a page
// of its own has no border but cell spacing as wide as a grid line, which
// sets its cells where the border would (with no spacing, every cell's half
// and the table's border make each line), and leaves the lines to
// paintPage, which draws one per row edge and one per column edge.
// paintPage places a row by a cell whose contents stand at its top; a piece
// with a row that has none keeps Qt's border.
QTextTable *ReportBuilder::writePlanned(int from, const QList<int> &ends, int headerRows,
                                       int columns, const QTextTableFormat &format,
                                       const RowWriter &write)
{
    const bool ownGrid = format.border() > 0 && format.cellSpacing() == 0
            && format.borderStyle() == QTextFrameFormat::BorderStyle_Solid;
    QTextTableFormat gridFormat = format;
    gridFormat.setBorder(0);
    gridFormat.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    gridFormat.setCellSpacing(2 * format.border());
    gridFormat.setProperty(GridProperty, true);

    QTextTable *table = nullptr;
    for (const int end : ends) {
        table = insertTable(headerRows + end - from, columns, ownGrid ? gridFormat : format);
        write(table, 0, 0, headerRows);
        write(table, headerRows, from, end - from);
        if (ownGrid && !everyRowHasTopCell(table)) {
            QTextTableFormat kept = table->format();
            kept.setBorder(format.border());
            kept.setBorderStyle(format.borderStyle());
            kept.setCellSpacing(format.cellSpacing());
            kept.clearProperty(GridProperty);
            table->setFormat(kept);
        }
        from = end;
    }
    return table;
}

namespace {

// The widest word and the whole width of a cell's paragraphs, as Qt takes
// them for the column widths, from the cell's own text layouts: each
// paragraph laid out once on one long line, without laying out the table.
// False when the cell holds a table, which only the table's layout measures.
bool cellWidths(const QTextTableCell &cell, qreal *minimum, qreal *maximum)
{
    constexpr qreal UnboundedWidth = 1e6;  // pixels, over 40 m
    *minimum = 0;
    *maximum = 0;
    for (QTextBlock block = cell.firstCursorPosition().block();
         block.isValid() && block.position() <= cell.lastPosition(); block = block.next()) {
        if (QTextCursor(block).currentTable() != cell.firstCursorPosition().currentTable())
            return false;
        QTextLayout *layout = block.layout();
        layout->setTextOption(paragraphOption(block));
        layout->beginLayout();
        while (true) {
            QTextLine line = layout->createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(UnboundedWidth);
        }
        layout->endLayout();
        *minimum = qMax(*minimum, layout->minimumWidth());
        *maximum = qMax(*maximum, layout->maximumWidth());
    }
    return true;
}

}  // namespace

// The widths Qt gives the columns of the whole table, as fixed widths. They
// follow from each column's widest word and widest line, so a table of the
// header rows and the rows that hold those lays the columns out as the
// whole table would: the rows are written in chunks only to find them, and
// that short table is the one Qt lays out.
QList<QTextLength> ReportBuilder::measuredWidths(int rows, int columns, int headerRows,
                                                 const QTextTableFormat &format,
                                                 const RowWriter &write) const
{
    const QTextDocument *document = m_cursor.document();

    // By column and span: the rows of the widest word and of the widest line.
    struct Widest
    {
        qreal minimum = -1;
        int minimumRow = -1;
        qreal maximum = -1;
        int maximumRow = -1;
    };
    QHash<QPair<int, int>, Widest> widest;
    QList<int> kept;
    for (int row = 0; row < headerRows; ++row)
        kept << row;
    for (int from = headerRows; from < rows; from += ChunkRows) {
        const int count = qMin(ChunkRows, rows - from);
        QTextDocument chunk;
        QTextTable *table = writeChunk(chunk, *document, format, columns, from, count, write);
        for (int row = 0; row < count; ++row) {
            for (int column = 0; column < columns;) {
                const QTextTableCell cell = table->cellAt(row, column);
                column += cell.columnSpan();
                qreal minimum = 0;
                qreal maximum = 0;
                if (!cellWidths(cell, &minimum, &maximum)) {
                    kept << from + row;
                    continue;
                }
                Widest &w = widest[{cell.column(), cell.columnSpan()}];
                if (minimum > w.minimum) {
                    w.minimum = minimum;
                    w.minimumRow = from + row;
                }
                if (maximum > w.maximum) {
                    w.maximum = maximum;
                    w.maximumRow = from + row;
                }
            }
        }
    }
    for (const Widest &w : std::as_const(widest))
        kept << w.minimumRow << w.maximumRow;
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());

    QTextDocument scratch;
    setUpLike(scratch, *document);
    QTextTable *table =
            writeScratch(scratch, int(kept.size()), columns, format, [&](QTextTable *t) {
                for (int at = 0; at < kept.size(); ++at)
                    write(t, at, kept.at(at), 1);
            });

    QAbstractTextDocumentLayout *layout = scratch.documentLayout();
    const qreal unitsPerPixel = qt_defaultDpiY() / LayoutDpi;
    QList<QTextLength> widths = format.columnWidthConstraints();
    widths.resize(columns);
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < table->rows(); ++row) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (cell.column() != column || cell.columnSpan() != 1)
                continue;
            const QTextBlock block = cell.firstCursorPosition().block();
            layout->blockBoundingRect(block);
            const qreal content = block.layout()->lineAt(0).width() * unitsPerPixel;
            widths[column] = QTextLength(QTextLength::FixedLength,
                                         content + 2 * format.cellPadding());
            break;
        }
    }
    return widths;
}

namespace {

// What drawing a piece needs of a paragraph's formats, looked up once for
// each format rather than for every cell.
struct BlockStyle
{
    bool foreign = false;     // it belongs to a table inside a cell
    bool startsCell = false;  // it is its cell's first paragraph
    int span = 1;
    bool atTop = true;        // see standsAtTop
    QBrush background;        // the cell's
};

// A table on a page of its own (see writePlanned), drawn by the engine.
//
// Qt's drawing of a table looks up the row, column, span and format of
// every cell several times over, each look-up a search of the document, and
// took a third of the time a long report needs to print. Here the cells are
// taken in document order, which is the rows' order, their formats looked
// up once each, and every paragraph is drawn from its own text layout where
// Qt's layout placed it: its cell's place, read from one paragraph for each
// column and one for each row.
//
// The lines stand where Qt would draw the border: around the table and
// between its cells, each line two border widths wide, a column edge broken
// where a cell spans over it. The cells' edges are found from where their
// text starts, less the padding. The lines take the cell spacing a marked
// table has in place of its border; it has no margin or padding, so that
// the lines meet the box's edges.
//
// A row with no cell whose text starts at its top cannot be placed, and
// such a piece gets neither (writePlanned gives it Qt's border). What the
// engine does not draw (a table's background, a paragraph's, a table in a
// cell) leaves the piece's contents to Qt.
class Piece
{
public:
    explicit Piece(QTextTable *table);

    bool isValid() const { return m_valid; }
    bool drawsContents() const { return m_valid && m_drawsContents; }
    QRectF box() const { return m_box; }

    void drawContents(QPainter *painter) const;
    void drawGrid(QPainter *painter) const;

private:
    bool place(QTextTable *table);
    const BlockStyle &styleOf(const QTextBlock &block);
    void endRow(int row, const QList<bool> &startsCell);
    void endStretch(int column, int row);

    struct Paragraph
    {
        QTextBlock block;
        QPointF offset;
    };
    struct Filled
    {
        int row;
        int column;
        int span;
        QBrush brush;
    };

    int m_object = -1;
    QHash<int, BlockStyle> m_styles;
    QHash<int, bool> m_plainFormats;  // block formats with no background
    qreal m_line = 0;
    QBrush m_lineBrush;
    QRectF m_box;
    QPointF m_rounding;  // from the box's place to where Qt draws it
    QList<qreal> m_edges;     // by column edge, the table's left one first
    QList<qreal> m_lineTops;  // the line above each row, and below the last
    QList<int> m_stretchFrom;  // by column edge, the first row of its line now
    QList<QRectF> m_lines;
    QList<Paragraph> m_paragraphs;
    QList<Filled> m_filled;
    bool m_valid = false;
    bool m_drawsContents = true;
};

Piece::Piece(QTextTable *table)
{
    m_drawsContents = table->format().background().style() == Qt::NoBrush;
    m_valid = place(table);
}

const BlockStyle &Piece::styleOf(const QTextBlock &block)
{
    const int index = block.charFormatIndex();
    auto known = m_styles.constFind(index);
    if (known != m_styles.constEnd())
        return *known;
    BlockStyle style;
    const QTextCharFormat format = block.charFormat();
    if (format.isTableCellFormat()) {
        style.foreign = format.objectIndex() != m_object;
        style.startsCell = !style.foreign;
        const QTextTableCellFormat cell = format.toTableCellFormat();
        style.span = qMax(1, cell.tableCellColumnSpan());
        style.atTop = standsAtTop(format);
        style.background = cell.background();
    }
    return *m_styles.insert(index, style);
}

bool Piece::place(QTextTable *table)
{
    const QTextDocument *document = table->document();
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    const int rows = table->rows();
    const int columns = table->columns();
    m_object = table->objectIndex();
    m_line = qRound(table->format().cellSpacing() * layoutScaling(*document));
    m_lineBrush = table->format().borderBrush();
    const qreal padding = cellPadding(table);
    m_box = tableBox(table);
    // Qt draws a frame at its place rounded to a whole pixel, and what is in
    // it from there.
    m_rounding = QPointF(m_box.topLeft().toPoint()) - m_box.topLeft();

    m_edges = QList<qreal>(columns, -1);
    m_edges[0] = m_box.left();
    m_stretchFrom = QList<int>(columns, -1);
    m_lineTops = QList<qreal>(rows + 1);
    m_lineTops[0] = m_box.top();
    m_lineTops[rows] = m_box.bottom() - m_line;
    QList<qreal> columnLeft(columns, qQNaN());  // where each column's cells are drawn from
    qreal rowTop = qQNaN();                     // and the row's cells that stand at its top
    QList<bool> startsCell(columns);

    int row = -1;
    int column = 0;
    int span = 0;
    bool placed = false;  // the line above the row is known
    QPointF offset;
    // The table's last paragraph ends with the table's end mark.
    const QTextBlock end = document->findBlock(table->lastPosition()).next();
    for (QTextBlock block = document->findBlock(table->firstPosition());
         block.isValid() && block != end; block = block.next()) {
        const int blockFormat = block.blockFormatIndex();
        auto plain = m_plainFormats.constFind(blockFormat);
        if (plain == m_plainFormats.constEnd()) {
            plain = m_plainFormats.insert(
                    blockFormat, block.blockFormat().background().style() == Qt::NoBrush);
        }
        const BlockStyle &style = styleOf(block);
        if (!*plain || style.foreign)
            m_drawsContents = false;
        if (style.startsCell) {
            column += span;
            if (row < 0 || column >= columns) {
                if (row >= 0) {
                    if (!placed)
                        return false;
                    endRow(row, startsCell);
                }
                if (++row >= rows)
                    return false;
                column = 0;
                placed = row == 0;
                rowTop = qQNaN();
                startsCell.fill(false);
            }
            span = qMin(style.span, columns - column);
            startsCell[column] = true;

            std::optional<QRectF> text;
            const auto measured = [&] {
                if (!text)
                    text = layout->blockBoundingRect(block);
                return *text;
            };
            const QPointF position = block.layout()->position();
            if (qIsNaN(columnLeft.at(column))) {
                columnLeft[column] = measured().left() - position.x();
                if (m_edges.at(column) < 0)
                    m_edges[column] = measured().left() - padding - m_line;
            }
            qreal top;
            if (style.atTop) {
                if (qIsNaN(rowTop))
                    rowTop = measured().top() - position.y();
                if (!placed)
                    m_lineTops[row] = measured().top() - padding - m_line;
                placed = true;
                top = rowTop;
            } else {
                top = measured().top() - position.y();
            }
            offset = QPointF(columnLeft.at(column), top);
            if (style.background.style() != Qt::NoBrush)
                m_filled.append({row, column, span, style.background});
        } else if (row < 0) {
            return false;
        }
        m_paragraphs.append({block, offset});
    }
    if (row != rows - 1 || !placed)
        return false;
    endRow(row, startsCell);

    for (int r = 0; r <= rows; ++r)
        m_lines << QRectF(m_box.left(), m_lineTops.at(r), m_box.width(), m_line);
    for (int c = 0; c < columns; ++c) {
        if (m_stretchFrom.at(c) >= 0)
            endStretch(c, rows);
    }
    m_lines << QRectF(m_box.right() - m_line, m_box.top(), m_line, m_box.height());
    return true;
}

// Column edges run down from the row where a cell starts at them to the row
// where one spans over them.
void Piece::endRow(int row, const QList<bool> &startsCell)
{
    for (int column = 0; column < startsCell.size(); ++column) {
        if (startsCell.at(column) && m_stretchFrom.at(column) < 0)
            m_stretchFrom[column] = row;
        else if (!startsCell.at(column) && m_stretchFrom.at(column) >= 0)
            endStretch(column, row);
    }
}

void Piece::endStretch(int column, int row)
{
    const qreal top = m_lineTops.at(m_stretchFrom.at(column));
    m_lines << QRectF(m_edges.at(column), top, m_line, m_lineTops.at(row) + m_line - top);
    m_stretchFrom[column] = -1;
}

void Piece::drawContents(QPainter *painter) const
{
    painter->save();
    painter->translate(m_rounding);
    for (const Filled &cell : m_filled) {
        const int end = cell.column + cell.span;
        const qreal right = end < m_edges.size() ? m_edges.at(end) : m_box.right() - m_line;
        const QRectF rect(QPointF(m_edges.at(cell.column) + m_line, m_lineTops.at(cell.row) + m_line),
                          QPointF(right, m_lineTops.at(cell.row + 1)));
        painter->save();
        painter->setBrushOrigin(rect.topLeft());
        painter->fillRect(rect, cell.brush);
        painter->restore();
    }
    // As the page's paint context: paper wants black.
    painter->setPen(Qt::black);
    for (const Paragraph &paragraph : m_paragraphs)
        paragraph.block.layout()->draw(painter, paragraph.offset);
    painter->restore();
}

void Piece::drawGrid(QPainter *painter) const
{
    painter->save();
    painter->translate(m_rounding);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_lineBrush);
    painter->drawRects(m_lines);
    painter->restore();
}

}  // namespace

void paintPage(QPainter *painter, const QTextDocument &document, int index)
{
    const QSizeF size = document.pageSize();
    const QRectF view(0, index * size.height(), size.width(), size.height());
    painter->save();
    painter->translate(0, -view.top());
    painter->setClipRect(view);
    QAbstractTextDocumentLayout *layout = document.documentLayout();

    // The body's tables stand one below the other; Qt's bounding rectangle
    // of a table lies lower than the table, by less than a row.
    std::vector<Piece> pieces;
    const QList<QTextFrame *> frames = document.rootFrame()->childFrames();
    auto frame = std::partition_point(frames.cbegin(), frames.cend(), [&](QTextFrame *f) {
        return layout->frameBoundingRect(f).bottom() <= view.top();
    });
    for (; frame != frames.cend(); ++frame) {
        auto *table = qobject_cast<QTextTable *>(*frame);
        if (!table)
            continue;
        if (tableBox(table).top() >= view.bottom())
            break;
        if (table->format().boolProperty(ReportBuilder::GridProperty))
            pieces.emplace_back(table);
    }

    // Qt draws what lies between the pieces the engine draws: it leaves out
    // a table that its clip does not reach, and every other paragraph and
    // table lies wholly above or below a piece, which stands on a page of
    // its own. Its drawing a piece reaches the pixel beyond either edge.
    QList<QRectF> bands{view};
    for (const Piece &piece : pieces) {
        if (!piece.drawsContents())
            continue;
        const QRectF above = bands.takeLast();
        const qreal top = piece.box().top() - 1;
        const qreal bottom = piece.box().bottom() + 1;
        bands << QRectF(above.left(), above.top(), above.width(), qMax<qreal>(0, top - above.top()))
              << QRectF(above.left(), bottom, above.width(), qMax<qreal>(0, view.bottom() - bottom));
    }
    QAbstractTextDocumentLayout::PaintContext context;
    // The palette's text colour is the system's, which may be anything;
    // paper wants black.
    context.palette.setColor(QPalette::Text, Qt::black);
    for (const QRectF &band : std::as_const(bands)) {
        // A band narrower than a pixel has room for no line of text.
        if (band.height() < 1)
            continue;
        context.clip = band;
        layout->draw(painter, context);
    }
    for (const Piece &piece : pieces) {
        if (piece.drawsContents())
            piece.drawContents(painter);
    }
    for (const Piece &piece : pieces) {
        if (piece.isValid())
            piece.drawGrid(painter);
    }
    painter->restore();
}

}  // namespace ReportEngine
