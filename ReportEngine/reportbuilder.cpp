#include "reportbuilder.h"

#include "autotableelement.h"
#include "hlineelement.h"
#include "report.h"
#include "spacerelement.h"
#include "tableelement.h"
#include "textelement.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <map>
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

void ReportBuilder::setDrawnPieces(DrawnPieces *pieces)
{
    m_drawnPieces = pieces;
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

QTextTableFormat ReportBuilder::placed(QTextTableFormat format) const
{
    format.setAlignment(horizontal(m_placement.alignment));
    if (m_placement.background.style() != Qt::NoBrush)
        format.setBackground(m_placement.background);
    return format;
}

QTextTable *ReportBuilder::insertTable(int rows, int columns, const QTextTableFormat &format)
{
    QTextTable *table = m_cursor.insertTable(rows, columns, placed(format));
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

// Rows written into documents of their own, by their first source row.
using Chunks = std::map<int, std::unique_ptr<QTextDocument>>;

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
    if (format.hasProperty(QTextFormat::BlockAlignment))
        option.setAlignment(QStyle::visualAlignment(block.textDirection(), format.alignment()));
    if (format.nonBreakableLines())
        option.setWrapMode(QTextOption::ManualWrap);
    return option;
}

// Lays the paragraph's lines out at `width` one below the other from the
// layout's top, placed and as high as Qt's document layout makes them in a
// table's cell; returns the paragraph's height in 64ths of a pixel.
int layOutLines(QTextLayout *layout, const QTextBlockFormat &format, qreal width, qreal scaling)
{
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
        const int height = toFixed(format.lineHeight(raw, scaling));
        int adjustment = 0;
        if (format.lineHeightType() == QTextBlockFormat::FixedHeight)
            adjustment = toFixed(line.ascent() + qMax<qreal>(line.leading(), 0)) - height * 4 / 5;
        else if (format.lineHeightType() == QTextBlockFormat::MinimumHeight)
            adjustment = toFixed(line.height()) - height;
        line.setPosition(QPointF(0, fromFixed(y - adjustment)));
        bottom = y + toFixed(format.lineHeight(line.height(), scaling));
        y += height;
    }
    layout->endLayout();
    return qMax(y, bottom);
}

// Whether a paragraph's layout needs nothing of its formats but a font.
bool fontOnly(const QTextCharFormat &format)
{
    const QMap<int, QVariant> properties = format.properties();
    return std::all_of(properties.keyBegin(), properties.keyEnd(), [](int property) {
        return property >= QTextFormat::FirstFontProperty
                && property <= QTextFormat::LastFontProperty;
    });
}

}  // namespace

// A paragraph laid out for measuring or drawing, and its height in 64ths of
// a pixel.
struct LaidOut
{
    QTextLayout *layout = nullptr;
    std::unique_ptr<QTextLayout> own;
    int height = 0;
};

// Paragraphs of documents that are never laid out, laid out one by one as
// Qt's document layout would lay them out in a table's cell.
//
// A paragraph of one text in one font, as nearly every cell holds, gets a
// text layout of its own with a font made once for each format: the
// paragraph's own layout looks its font up by name for every text, which
// took as long as laying the text out.
class Paragraphs
{
public:
    // The paragraph laid out at `width`. Drawing wants the glyphs kept;
    // measuring lets them go.
    LaidOut layOut(const QTextBlock &block, qreal width, qreal scaling, bool forDrawing = false)
    {
        LaidOut result;
        result.layout = prepare(block, &result.own);
        result.layout->setCacheEnabled(forDrawing);
        result.height = layOutLines(result.layout, block.blockFormat(), width, scaling);
        return result;
    }

    // The widest word and the whole width of the paragraph, as Qt takes
    // them for a table's column widths: laid out on one long line.
    void widths(const QTextBlock &block, qreal *minimum, qreal *maximum)
    {
        constexpr qreal UnboundedWidth = 1e6;  // pixels, over 40 m
        std::unique_ptr<QTextLayout> own;
        QTextLayout *layout = prepare(block, &own);
        layout->setCacheEnabled(false);
        layout->beginLayout();
        while (true) {
            QTextLine line = layout->createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(UnboundedWidth);
        }
        layout->endLayout();
        *minimum = layout->minimumWidth();
        *maximum = layout->maximumWidth();
    }

private:
    // The text layout for the paragraph, set up as Qt's document layout
    // sets up the paragraph's own.
    QTextLayout *prepare(const QTextBlock &block, std::unique_ptr<QTextLayout> *own)
    {
        QTextLayout *layout = block.layout();
        const QTextBlock::iterator first = block.begin();
        if (!first.atEnd()) {
            const QTextFragment fragment = first.fragment();
            if (fragment.length() == block.length() - 1) {
                if (const QFont *font = fontOf(*block.document(), fragment)) {
                    *own = std::make_unique<QTextLayout>(block.text(), *font);
                    layout = own->get();
                }
            }
        }
        layout->setTextOption(paragraphOption(block));
        return layout;
    }

    // The font of a fragment whose format needs nothing else; none for
    // other formats. Formats are known by their index in their document.
    const QFont *fontOf(const QTextDocument &document, const QTextFragment &fragment)
    {
        if (m_document != &document) {
            m_fonts.clear();
            m_document = &document;
        }
        auto known = m_fonts.find(fragment.charFormatIndex());
        if (known == m_fonts.end()) {
            const QTextCharFormat format = fragment.charFormat();
            std::optional<QFont> font;
            if (fontOnly(format)) {
                // As Qt's layout makes it: for the layout's paint device.
                const QPaintDevice *device = document.documentLayout()->paintDevice();
                font = device ? QFont(format.font(), device) : format.font();
            }
            known = m_fonts.insert(fragment.charFormatIndex(), font);
        }
        return known->has_value() ? &**known : nullptr;
    }

    // A document that is gone may leave another at its address.
    QPointer<const QTextDocument> m_document;
    QHash<int, std::optional<QFont>> m_fonts;
};

namespace {

// A paragraph with margins or indents places its lines differently.
bool plainParagraph(const QTextBlockFormat &format)
{
    return format.topMargin() == 0 && format.bottomMargin() == 0 && format.leftMargin() == 0
            && format.rightMargin() == 0 && format.indent() == 0 && format.textIndent() == 0;
}

}  // namespace

// The rows of a long table as the plan measured them, and what the engine
// needs to draw them on pages of their own: the header rows laid out by Qt
// at the top of a page, the rows' contents in documents that are never laid
// out, and where the columns, rows and grid lines stand.
class PlannedRows
{
public:
    // Draws the source rows [from, end) as a piece that starts the page
    // whose top is at `pageTop`: the header as Qt draws it, then the rows'
    // backgrounds and texts, then the grid lines over them.
    void draw(QPainter *painter, int from, int end, qreal pageTop) const;

    // The width of the text of a cell over the columns [first, last].
    qreal textWidth(int first, int last) const
    {
        return columnLeft.at(last) + columnWidth.at(last) - columnLeft.at(first);
    }

    static constexpr int Unmeasured = -2;

    QList<int> heights;  // by source row, in 64ths of a pixel; -1 when not known
    qreal scaling = 1;          // layout pixels per format unit
    int padding = 0;            // 64ths of a pixel
    QList<qreal> columnLeft;    // where each column's text starts
    QList<qreal> columnWidth;   // and how wide it is
    qreal firstRowTop = 0;      // the first row's top below its line, on the page
    qreal gap = 0;              // from a row's bottom to the next one's top
    qreal bottom = 0;           // from the last row's bottom to the box's

    // What only drawing needs.
    std::unique_ptr<QTextDocument> header;
    qreal headerPageTop = 0;    // the top of the header's page in it
    std::map<int, std::unique_ptr<QTextDocument>> chunks;  // by their first source row
    QRectF box;                 // the table's box on its page, as Qt places it
    QPointF rounding;           // from the box's place to where Qt draws it
    QList<qreal> edges;         // the left edge of each column's grid line
    QList<qreal> headerLines;   // the top of the line above each header row
    QList<QList<bool>> headerStarts;  // by header row: the columns a cell starts at
    qreal line = 0;             // a grid line's width; 0 for none
    QBrush lineBrush;
    QBrush background;          // the table's

private:
    QTextTable *chunkOf(int row, int *at) const;
    mutable Paragraphs m_paragraphs;
};

namespace {

// Where the rows of a long table fall on pages that each hold one piece of
// it, the piece starting at the page's top: each row's height worked out from
// its cells' own text layouts the way Qt's table layout works it out, and the
// place of the first row and of the table's bottom edge read from a short
// table laid out on the same pages. A row it cannot work out (a table in a
// cell, a paragraph with margins) or higher than a page ends the plan.
//
// For a document that is only printed, the plan keeps what drawing the rows
// needs (see PlannedRows); it can when the pieces have no grid or the
// format's grid, which the plan's pieces get in the cell spacing.
class PagePlan
{
public:
    using RowWriter = ReportBuilder::RowWriter;

    // The rows already written in `written` are measured there.
    PagePlan(const QTextDocument &document, const QTextTableFormat &format, int columns,
             int headerRows, int rows, const RowWriter &write, bool forDrawing, Chunks written)
        : m_written(std::move(written))
        , m_document(document)
        , m_format(format)
        , m_columns(columns)
        , m_write(write)
        , m_rows(std::make_shared<PlannedRows>())
    {
        m_rows->scaling = ReportBuilder::LayoutDpi / qt_defaultDpiY();
        m_rows->padding = toFixed(format.cellPadding() * m_rows->scaling);
        m_rows->heights = QList<int>(rows, PlannedRows::Unmeasured);
        measurePage(headerRows, forDrawing);
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
            qreal top = m_rows->firstRowTop;
            while (row < rows) {
                const int height = rowHeight(row);
                if (height < 0)
                    return ends;
                if (top + fromFixed(height) + m_rows->bottom > pageHeight - footReserve(m_document))
                    break;
                top += fromFixed(height) + m_rows->gap;
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
        return top + fromFixed(height) + m_rows->bottom;
    }

    // What drawing the rows needs; none when the plan cannot draw them.
    std::shared_ptr<const PlannedRows> drawn() const { return m_drawable ? m_rows : nullptr; }

private:
    // The header and two empty rows at the top of a page: the first row's
    // place, the step from row to row besides its height, the bottom edge
    // below the last, and the width of each column's text.
    void measurePage(int headerRows, bool forDrawing)
    {
        auto scratch = std::make_unique<QTextDocument>();
        setUpLike(*scratch, m_document);
        scratch->setPageSize(m_document.pageSize());
        scratch->rootFrame()->setFrameFormat(m_document.rootFrame()->frameFormat());
        QTextTable *table = writeScratch(*scratch, headerRows + 2, m_columns, m_format,
                                         [&](QTextTable *t) { m_write(t, 0, 0, headerRows); });

        QAbstractTextDocumentLayout *layout = scratch->documentLayout();
        PlannedRows &rows = *m_rows;
        const QRectF frame = tableBox(table);
        const auto block = [table](int row, int column) {
            return table->cellAt(row, column).firstCursorPosition().block();
        };
        for (int column = 0; column < m_columns; ++column) {
            const QTextBlock text = block(headerRows, column);
            rows.columnLeft << layout->blockBoundingRect(text).left();
            rows.columnWidth << text.layout()->lineAt(0).width();
        }
        const qreal first = layout->blockBoundingRect(block(headerRows, 0)).top();
        const qreal second = layout->blockBoundingRect(block(headerRows + 1, 0)).top();
        const qreal pageHeight = scratch->pageSize().height();
        const qreal pageTop = std::floor(first / pageHeight) * pageHeight;

        const int empty = heightOf(table, headerRows);
        if (empty < 0 || endPage(*scratch, frame.bottom()) * pageHeight != pageTop)
            return;
        rows.firstRowTop = first - fromFixed(rows.padding) - pageTop;
        rows.gap = second - first - fromFixed(empty);
        rows.bottom = frame.bottom() - (second - fromFixed(rows.padding) + fromFixed(empty));
        m_valid = true;
        if (forDrawing)
            keepForDrawing(std::move(scratch), table, headerRows, pageTop);
    }

    // The header rows' lines and cells, from their own heights as the data
    // rows' are, and the columns' edges and the table's box.
    void keepForDrawing(std::unique_ptr<QTextDocument> scratch, QTextTable *table,
                        int headerRows, qreal pageTop)
    {
        const QTextTableFormat format = table->format();
        const bool grid = format.borderStyle() == QTextFrameFormat::BorderStyle_None
                || format.border() == 0;
        if (!grid)
            return;
        PlannedRows &rows = *m_rows;
        rows.line = qRound(format.cellSpacing() * layoutScaling(*scratch));
        rows.lineBrush = format.borderBrush();
        rows.background = format.background();
        rows.headerPageTop = pageTop;
        rows.box = tableBox(table).translated(0, -pageTop);
        rows.rounding = QPointF(rows.box.topLeft().toPoint()) - rows.box.topLeft();
        rows.edges << rows.box.left();
        for (int column = 1; column < m_columns; ++column)
            rows.edges << rows.columnLeft.at(column) - fromFixed(rows.padding) - rows.line;

        qreal top = rows.box.top() + rows.line;
        for (int row = 0; row < headerRows; ++row) {
            const int height = heightOf(table, row);
            if (height < 0)
                return;
            rows.headerLines << top - rows.line;
            QList<bool> starts(m_columns);
            for (int column = 0; column < m_columns; ++column)
                starts[column] = table->cellAt(row, column).column() == column;
            rows.headerStarts << starts;
            top += fromFixed(height) + rows.gap;
        }
        // The plan places the rows below the header as Qt does; lines drawn
        // from its heights must meet them.
        if (qAbs(top - rows.firstRowTop) > 1.0 / 64)
            return;
        rows.header = std::move(scratch);
        m_drawable = true;
    }

    int rowHeight(int row)
    {
        if (m_rows->heights.at(row) == PlannedRows::Unmeasured)
            measureRows(row);
        return m_rows->heights.at(row);
    }

    // The rows from `from` on, written without a layout and measured; none
    // of them when a table stands in one of their cells.
    void measureRows(int from)
    {
        QList<int> &heights = m_rows->heights;
        std::unique_ptr<QTextDocument> chunk;
        QTextTable *table = nullptr;
        auto written = m_written.upper_bound(from);
        if (written != m_written.begin()) {
            --written;
            table = qobject_cast<QTextTable *>(written->second->rootFrame()->childFrames().value(0));
            if (table && from < written->first + table->rows()) {
                from = written->first;
                chunk = std::move(written->second);
            } else {
                table = nullptr;
            }
            m_written.erase(written);
        }
        if (!chunk) {
            chunk = std::make_unique<QTextDocument>();
            table = writeChunk(*chunk, m_document, m_format, m_columns, from,
                               qMin(ChunkRows, int(heights.size()) - from), m_write);
        }
        const int count = table->rows();
        const bool nested = !table->childFrames().isEmpty();
        for (int row = 0; row < count; ++row)
            heights[from + row] = nested ? -1 : heightOf(table, row);
        if (m_drawable)
            m_rows->chunks[from] = std::move(chunk);
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
            const int text = textHeight(*table->document(), cell, m_rows->textWidth(column, last));
            if (text < 0)
                return -1;
            height = qMax(height, roundFixed(text + 2 * m_rows->padding));
            column += span;
        }
        return height;
    }

    // The cell's paragraphs laid out one below the other at the width.
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
        if (!plainParagraph(format))
            return -1;
        // The engine draws no paragraph's background; Qt draws such rows.
        if (format.background().style() != Qt::NoBrush)
            m_drawable = false;
        Paragraph paragraph{width, format, block.charFormat(), {}, 0};
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
            paragraph.fragments.append({it.fragment().length(), it.fragment().charFormat()});
        QList<Paragraph> &known = m_paragraphs[block.text()];
        for (const Paragraph &other : std::as_const(known)) {
            if (other.sameAs(paragraph))
                return other.height;
        }
        paragraph.height = m_layouts.layOut(block, width, m_rows->scaling).height;
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

    Chunks m_written;
    const QTextDocument &m_document;
    const QTextTableFormat m_format;
    const int m_columns;
    const RowWriter m_write;
    std::shared_ptr<PlannedRows> m_rows;
    QHash<QString, QList<Paragraph>> m_paragraphs;
    Paragraphs m_layouts;
    bool m_valid = false;
    bool m_drawable = false;
};

}  // namespace

QTextTable *PlannedRows::chunkOf(int row, int *at) const
{
    auto chunk = chunks.upper_bound(row);
    Q_ASSERT(chunk != chunks.begin());
    --chunk;
    *at = row - chunk->first;
    return qobject_cast<QTextTable *>(chunk->second->rootFrame()->childFrames().constFirst());
}

void PlannedRows::draw(QPainter *painter, int from, int end, qreal pageTop) const
{
    const int columns = int(edges.size());
    const qreal pageWidth = header->pageSize().width();
    QList<qreal> tops;  // each row's top below its line
    qreal top = firstRowTop;
    for (int row = from; row < end; ++row) {
        tops << top;
        top += fromFixed(heights.at(row)) + gap;
    }
    const qreal boxBottom = top - gap + bottom;
    const qreal headerBottom = firstRowTop - line;

    painter->save();
    painter->translate(0, pageTop);
    if (background.style() != Qt::NoBrush) {
        painter->save();
        painter->translate(rounding);
        const QRectF below(box.left(), headerBottom, box.width(), boxBottom - headerBottom);
        painter->setBrushOrigin(box.topLeft());
        painter->fillRect(below, background);
        painter->restore();
    }
    {
        // The header as Qt draws it at the top of a page; the background of
        // the table it stands in no lower than the piece.
        painter->save();
        const QRectF band(0, 0, pageWidth, boxBottom + rounding.y());
        painter->setClipRect(band, Qt::IntersectClip);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, Qt::black);
        painter->translate(0, -headerPageTop);
        context.clip = band.translated(0, headerPageTop);
        header->documentLayout()->draw(painter, context);
        painter->restore();
    }

    // Where the grid lines stand: the top of the line above each row, and
    // by row the columns whose edge a cell starts at.
    QList<qreal> lineTops = headerLines;
    QList<QList<bool>> starts = headerStarts;

    painter->save();
    painter->translate(rounding);
    // As the page's paint context: paper wants black.
    painter->setPen(Qt::black);
    for (int row = from; row < end; ++row) {
        const qreal rowTop = tops.at(row - from);
        const int height = heights.at(row);
        int at = 0;
        QTextTable *table = chunkOf(row, &at);
        const QTextDocument *document = table->document();
        QList<bool> rowStarts(columns);
        for (int column = 0; column < columns;) {
            const QTextTableCell cell = table->cellAt(at, column);
            const int span = qMax(1, cell.columnSpan());
            rowStarts[column] = true;
            const int last = qMin(columns, column + span) - 1;
            const QTextCharFormat format = cell.format();
            const QBrush brush = format.background();
            if (brush.style() != Qt::NoBrush) {
                const qreal right = last + 1 < columns ? edges.at(last + 1) : box.right() - line;
                const QRectF rect(QPointF(edges.at(column) + line, rowTop),
                                  QPointF(right, rowTop + fromFixed(height)));
                painter->save();
                painter->setBrushOrigin(rect.topLeft());
                painter->fillRect(rect, brush);
                painter->restore();
            }

            // Qt places a cell's contents aligned to the middle or the
            // bottom by the room its row leaves them, in 64ths of a pixel.
            const qreal width = textWidth(column, last);
            const int cellEnd = cell.lastPosition();
            std::vector<LaidOut> paragraphs;
            int content = 0;
            for (QTextBlock block = document->findBlock(cell.firstPosition());
                 block.isValid() && block.position() <= cellEnd; block = block.next()) {
                paragraphs.push_back(m_paragraphs.layOut(block, width, scaling, true));
                content += paragraphs.back().height;
            }
            int y = toFixed(rowTop) + padding;
            if (!standsAtTop(format)) {
                const int room = height - content - 2 * padding;
                y += format.verticalAlignment() == QTextCharFormat::AlignMiddle ? room / 2 : room;
            }
            for (const LaidOut &paragraph : paragraphs) {
                paragraph.layout->draw(painter, QPointF(columnLeft.at(column), fromFixed(y)));
                y += paragraph.height;
            }
            column += span;
        }
        lineTops << rowTop - line;
        starts << rowStarts;
    }
    painter->restore();

    // One line across the table above every row and below the last, one
    // down each column edge for as long as cells start at it, and one down
    // either side.
    if (line > 0) {
        QList<QRectF> lines;
        const int rows = int(lineTops.size());
        lineTops << boxBottom - line;
        for (int row = 0; row <= rows; ++row)
            lines << QRectF(box.left(), lineTops.at(row), box.width(), line);
        // Column edges run down from the row where a cell starts at them to
        // the row where one spans over them.
        for (int column = 1; column < columns; ++column) {
            int stretchFrom = -1;
            for (int row = 0; row <= rows; ++row) {
                const bool starting = row < rows && starts.at(row).at(column);
                if (starting && stretchFrom < 0) {
                    stretchFrom = row;
                } else if (!starting && stretchFrom >= 0) {
                    const qreal lineTop = lineTops.at(stretchFrom);
                    lines << QRectF(edges.at(column), lineTop, line,
                                    lineTops.at(row) + line - lineTop);
                    stretchFrom = -1;
                }
            }
        }
        lines << QRectF(box.left(), box.top(), line, boxBottom - box.top())
              << QRectF(box.right() - line, box.top(), line, boxBottom - box.top());
        painter->save();
        painter->translate(rounding);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(lineBrush);
        painter->drawRects(lines);
        painter->restore();
    }
    painter->restore();
}

namespace {

// Whether the `count` tables that end with `last` stand each on a page of
// its own, from `page` on.
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

namespace {

// The widest word and the whole width of a cell's paragraphs, as Qt takes
// them for the column widths, from each paragraph laid out on its own,
// without laying out the table. False when the cell holds a table, which
// only the table's layout measures.
bool cellWidths(const QTextTableCell &cell, bool mayNest, Paragraphs &paragraphs,
                qreal *minimum, qreal *maximum)
{
    *minimum = 0;
    *maximum = 0;
    const QTextCursor start = cell.firstCursorPosition();
    const int end = cell.lastPosition();
    for (QTextBlock block = start.block(); block.isValid() && block.position() <= end;
         block = block.next()) {
        if (mayNest && QTextCursor(block).currentTable() != start.currentTable())
            return false;
        qreal blockMinimum = 0;
        qreal blockMaximum = 0;
        paragraphs.widths(block, &blockMinimum, &blockMaximum);
        *minimum = qMax(*minimum, blockMinimum);
        *maximum = qMax(*maximum, blockMaximum);
    }
    return true;
}

// The widths Qt gives the columns of the whole table, as fixed widths. They
// follow from each column's widest word and widest line, so a table of the
// header rows and the rows that hold those lays the columns out as the
// whole table would: the rows are written in chunks only to find them, and
// that short table is the one Qt lays out.
//
// The chunks are left in `written`, by their first row, for the page plan.
QList<QTextLength> measuredWidths(const QTextDocument *document, int rows, int columns,
                                  int headerRows, const QTextTableFormat &format,
                                  const ReportBuilder::RowWriter &write, Chunks *written)
{
    Paragraphs paragraphs;

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
        auto chunk = std::make_unique<QTextDocument>();
        QTextTable *table = writeChunk(*chunk, *document, format, columns, from, count, write);
        const bool mayNest = !table->childFrames().isEmpty();
        for (int row = 0; row < count; ++row) {
            for (int column = 0; column < columns;) {
                const QTextTableCell cell = table->cellAt(row, column);
                column += cell.columnSpan();
                qreal minimum = 0;
                qreal maximum = 0;
                if (!cellWidths(cell, mayNest, paragraphs, &minimum, &maximum)) {
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
        (*written)[from] = std::move(chunk);
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

}  // namespace

namespace {

// The format of a piece the engine draws: in place of the border, whose
// lines the engine draws, cell spacing as wide as a grid line, which sets the
// cells where the border would (with no spacing, every cell's half and the
// table's border make each line). None for a border it does not draw.
std::optional<QTextTableFormat> drawnFormat(const QTextTableFormat &format)
{
    if (format.border() == 0 || format.borderStyle() == QTextFrameFormat::BorderStyle_None)
        return format;
    if (format.cellSpacing() != 0 || format.borderStyle() != QTextFrameFormat::BorderStyle_Solid)
        return std::nullopt;
    QTextTableFormat grid = format;
    grid.setBorder(0);
    grid.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    grid.setCellSpacing(2 * format.border());
    return grid;
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
// planned a page each and laid out once, then checked; in a document that
// is only printed, the engine draws them (see writePlanned).
void ReportBuilder::writeSplit(int rows, int columns, int headerRows, QTextTableFormat format,
                               const RowWriter &write)
{
    const QList<QTextLength> constraints = format.columnWidthConstraints();
    const bool widthsFixed = format.width().type() == QTextLength::PercentageLength
            && constraints.size() == columns
            && std::all_of(constraints.cbegin(), constraints.cend(), [](const QTextLength &l) {
                   return l.type() != QTextLength::VariableLength;
               });
    // The rows measured for the widths are measured again for the page plan.
    Chunks written;
    if (!widthsFixed)
        format.setColumnWidthConstraints(measuredWidths(m_cursor.document(), rows, columns,
                                                        headerRows, format, write, &written));

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
            if (!plan) {
                // The pieces the engine draws have their grid in the cell
                // spacing (see writePlanned), and the plan measures them so.
                const std::optional<QTextTableFormat> drawn = drawnFormat(pieceFormat);
                const bool drawing = m_drawnPieces && drawn;
                plan.emplace(*m_cursor.document(), placed(drawing ? *drawn : pieceFormat),
                             columns, headerRows, rows, write, drawing, std::move(written));
            }
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
                const std::shared_ptr<const PlannedRows> drawn =
                        m_drawnPieces ? plan->drawn() : nullptr;
                QTextTable *last = writePlanned(next, ends, previousPage + 1, headerRows, columns,
                                                pieceFormat, write, drawn);
                m_cursor.endEditBlock();
                const qsizetype tables = drawn ? 1 : ends.size();
                m_planMissed =
                        endsTooLow(*m_cursor.document(), tableBox(previous).bottom(), previousPage)
                        || !endsOnItsPage(last, tables,
                                          previousPage + 1 + int(ends.size() - tables));
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

// A piece for each planned page, from row `from` on to each end in turn,
// the first on page `page`; returns the last.
//
// Qt lays a table out by going over every cell several times, looking up its
// row, column, span and format each time, and laying its text out twice;
// long reports spent most of their time there. For a document that is only
// printed, the pieces but the last are therefore drawn by the engine from
// the plan (see PlannedRows), and the document holds for each an empty
// paragraph that starts its page. The last piece stays a table, for what
// follows it to stand below it as Qt places it.
QTextTable *ReportBuilder::writePlanned(int from, const QList<int> &ends, int page, int headerRows,
                                       int columns, const QTextTableFormat &format,
                                       const RowWriter &write,
                                       const std::shared_ptr<const PlannedRows> &drawn)
{
    QTextTable *table = nullptr;
    for (const int end : ends) {
        if (drawn && end != ends.last()) {
            QTextBlockFormat placeholder;
            placeholder.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            placeholder.setLineHeight(0, QTextBlockFormat::FixedHeight);
            m_cursor.insertBlock(placeholder, QTextCharFormat());
            m_state = State::Spacer;
            m_drawnPieces->push_back({drawn, from, end, page});
        } else {
            table = insertTable(headerRows + end - from, columns, format);
            write(table, 0, 0, headerRows);
            write(table, headerRows, from, end - from);
        }
        from = end;
        ++page;
    }
    return table;
}


void paintPage(QPainter *painter, const QTextDocument &document, const DrawnPieces &pieces,
               int index)
{
    const QSizeF size = document.pageSize();
    const QRectF view(0, index * size.height(), size.width(), size.height());
    painter->save();
    painter->translate(0, -view.top());
    painter->setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    // The palette's text colour is the system's, which may be anything;
    // paper wants black.
    context.palette.setColor(QPalette::Text, Qt::black);
    context.clip = view;
    document.documentLayout()->draw(painter, context);
    auto piece = std::lower_bound(pieces.cbegin(), pieces.cend(), index,
                                  [](const DrawnPiece &p, int page) { return p.page < page; });
    for (; piece != pieces.cend() && piece->page == index; ++piece)
        piece->rows->draw(painter, piece->from, piece->end, view.top());
    painter->restore();
}

}  // namespace ReportEngine
