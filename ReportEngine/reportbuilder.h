#pragma once

#include "placedelement.h"

#include <QTextCursor>
#include <QTextTableFormat>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QTextTable;

namespace ReportEngine {

class AutoTableElement;
class HLineElement;
class SpacerElement;
class TableElement;
class TextElement;
class PlannedRows;

// The rows [from, end) of a long table, drawn by the engine on page `page`
// (from 0) of the document they were planned for.
struct DrawnPiece
{
    std::shared_ptr<const PlannedRows> rows;
    int from = 0;
    int end = 0;
    int page = 0;
};
using DrawnPieces = std::vector<DrawnPiece>;

// Writes elements one after another into a text flow: the body of the
// document or the inside of a table cell. Internal to the engine.
//
// The flow keeps track of what its last block is, so that texts reuse the
// empty block a new flow or a table leaves behind instead of adding blank
// lines, and inline texts can continue the last paragraph.
class ReportBuilder
{
public:
    // The body of a paginated document splits its long tables at page
    // breaks (see writeRows); a cell's flow never does.
    enum class Flow { Cell, Body };

    explicit ReportBuilder(const QTextCursor &cursor, Flow flow = Flow::Cell);

    void add(const PlacedElement &placed);

    // A long table's pieces after the first are planned from its rows'
    // heights and written in one go; a plan that missed (a piece that did
    // not end on its page) leaves the document to be written again without
    // planning.
    void setPlanning(bool planning);
    bool planMissed() const;

    void writeText(const TextElement &text);
    void writeSpacer(const SpacerElement &spacer);
    void writeRule(const HLineElement &rule);
    void writeTable(const TableElement &table);
    void writeAutoTable(const AutoTableElement &table);

    // Text formats measure lengths in pixels of the platform's default
    // resolution; the layout scales them to its own device.
    static qreal formatUnitsPerMillimetre();

    // Pages of long tables that the engine draws itself, for a document that
    // is only printed: each stands in the document as an empty paragraph
    // that starts its page (see writePlanned). Without them, as for the
    // document callers read, every piece is a table.
    void setDrawnPieces(DrawnPieces *pieces);

    // The resolution the document is laid out for, whatever the machine's
    // screen, so that page breaks do not depend on it. Qt rounds border
    // rectangles to whole pixels of it; at 600 dpi that is at most 0.02 mm.
    static constexpr qreal LayoutDpi = 600.0;

    // Writes the source rows [from, from + count) into the table's rows from
    // `at` on: first the merges of their spans, then their contents.
    using RowWriter = std::function<void(QTextTable *table, int at, int from, int count)>;

private:
    enum class State {
        Start,       // an empty block that no table precedes
        Paragraph,   // a paragraph that inline text may continue
        Spacer,      // an empty block holding vertical space
        AfterTable,  // the empty block after a table, drawn with no height
    };

    void startParagraph(const QTextBlockFormat &blockFormat, const QTextCharFormat &charFormat);
    QTextTableFormat tableFormat(qreal border, qreal paddingMm, qreal widthPercent) const;
    // The format with the element's alignment and background.
    QTextTableFormat placed(QTextTableFormat format) const;
    QTextTable *insertTable(int rows, int columns, const QTextTableFormat &format);
    void writeRows(int rows, int columns, int headerRows, QTextTableFormat format,
                   const RowWriter &write);
    void writeSplit(int rows, int columns, int headerRows, QTextTableFormat format,
                    const RowWriter &write);
    QTextTable *writePlanned(int from, const QList<int> &ends, int page, int headerRows,
                             int columns, const QTextTableFormat &format, const RowWriter &write,
                             const std::shared_ptr<const PlannedRows> &drawn);

    QTextCursor m_cursor;
    Flow m_flow;
    bool m_planning = true;
    bool m_planMissed = false;
    DrawnPieces *m_drawnPieces = nullptr;
    State m_state = State::Start;
    PlacedElement m_placement;
};

// Draws page `index` (from 0) of a paginated document the builder wrote,
// the page's top left corner at the painter's origin: what Qt's layout
// draws, and the pieces the engine draws on that page.
void paintPage(QPainter *painter, const QTextDocument &document, const DrawnPieces &pieces,
               int index);

}  // namespace ReportEngine
