#pragma once

#include <QColor>
#include <QFont>
#include <QMarginsF>
#include <QObject>
#include <QPageLayout>
#include <QTextFormat>

#include <memory>

class QAbstractItemModel;
class QIODevice;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QTextDocument;

namespace ReportEngine {

class Element;
class ErrorDetails;
class XmlElementHandler;

// A printable document on A4 pages, built from elements added in code and
// from XML templates.
//
// Everything added is copied at once, including the values a template reads
// from associated models, so models and elements may be destroyed right
// after they were used. The pages are laid out only when they are needed:
// by numberOfPages(), paintPage(), print() or exportToFile(); the document
// callers read, apart from them, by document().
//
// Templates: the root element <report> may carry font, pointsize and
// margin-top, margin-bottom, margin-left, margin-right (millimetres), which
// are applied to the report. Inside it, in any order:
//   <header location="first" font="...">  the first page's header; its
//       contents (texts, tables, ...) are written at the top of the body, in
//       the given font family. A later header replaces an earlier one.
//   <text>placeholder</text>  a paragraph; attributes id (its text is the
//       value associated with that id; the placeholder stays when there is
//       none), or model, row and column (the model's display text at that
//       cell; an unknown model or a cell out of range gives ""), alignment
//       (left, right, hcenter or center, justify), bold, italic, pointsize
//       ("0" keeps the size), inline="true" (continues the preceding
//       paragraph). Character references such as &#9; work; nothing is
//       trimmed.
//   <table width="100%" cellpadding="mm" border="...">  with <cell row="r"
//       column="c"> children holding texts, tables, vspace and hline; rows
//       from 0 to 999, columns from 0 to 99, tables at most 16 deep.
//   <table model="name" ...>  a table from an associated model, with
//       verticalHeaderVisible="false" and headerBackground="white" (any
//       colour name or #rrggbb) on request.
//   <vspace size="mm"/>, <hline/>.
// Elements are matched by their local name; the namespace is not checked.
// Unknown elements, an unknown alignment and numbers that are not finite or
// far beyond any page (lengths over a metre, sizes over 1000 points, borders
// over AbstractTableElement::MaximumBorder) make the load fail; a value that
// is no number at all is ignored.
//
// The built document (document()): the first-page header, then the body in
// the order added. A text is one paragraph per line; a table is a
// QTextTable (header rows in QTextTableFormat::headerRowCount, column spans
// as merged cells, separated borders of which each cell draws half of every
// grid line, vertical alignment in the cells' formats; a long table may be
// written as several, each with the header rows, cut where pages break); a
// rule is a one-cell table marked with HLineElement::RuleProperty; vertical
// space is an empty block whose format carries VerticalSpacingProperty (the
// height in millimetres). It is laid out on the pages as the report prints,
// but what prints is written apart from it: the engine draws most pages of
// a long table itself there, rather than Qt.
class Report : public QObject
{
    Q_OBJECT

public:
    static constexpr int VerticalSpacingProperty = QTextFormat::UserProperty + 0x101;

    explicit Report(QObject *parent = nullptr);
    ~Report() override;

    // Page margins in millimetres (20 on every side unless set).
    void setMargins(qreal top, qreal left, qreal bottom, qreal right);
    QMarginsF margins() const;  // left, top, right, bottom

    // The font of every text that does not set its own; the last call wins,
    // for texts added before it too.
    void setDefaultFont(const QFont &font);
    QFont defaultFont() const;

    void setPageOrientation(QPageLayout::Orientation orientation);
    QPageLayout::Orientation pageOrientation() const;

    // A4 with the orientation and margins above.
    QPageLayout pageLayout() const;

    // Adds a copy of the element to the end of the report, aligned
    // horizontally as given, on the background colour if that is valid. A
    // vertical alignment has nothing to place the element in here, unlike in
    // a table cell, and is ignored.
    void addElement(const Element &element, Qt::Alignment alignment = Qt::AlignLeft,
                    const QColor &background = QColor());
    // Vertical space at the very end of the report is left out: it would show
    // nothing and could only start a blank page.
    void addVerticalSpacing(qreal millimetres);

    // The elements added between the two calls stay on one page where they
    // fit: when they would cross a page boundary, they start on a new page
    // instead, and a group longer than a page starts at the top of one. A
    // group still open at the end of the report ends there; beginning a group
    // ends the one before.
    void beginKeepTogether();
    void endKeepTogether();

    // Values for the templates loaded afterwards. The model is read only
    // while a template is loaded.
    void associateModel(const QString &name, QAbstractItemModel *model);
    void associateTextValue(const QString &id, const QString &text);

    // The report owns the handler and deletes it with itself or when another
    // one is set.
    void setXmlElementHandler(XmlElementHandler *handler);

    // Appends the template's contents to what the report holds and applies
    // its root attributes. On failure nothing changes, and details (when
    // given) tell what and where.
    bool loadFromXML(QIODevice *device, ErrorDetails *details = nullptr);

    // Bracket a batch of additions. Additions never lay the document out, so
    // the brackets only mark the batch and have no effect.
    void beginEdit();
    void endEdit();

    // Prints every page (or the printer's page range) on A4 with the report's
    // orientation and margins.
    void print(QPrinter *printer);
    // Writes the report to a PDF file; false when the file cannot be written.
    bool exportToFile(const QString &pdfPath);

    int numberOfPages() const;

    // Draws page `index` (from 0) as print() prints it, the top left corner
    // of the area within the margins at the painter's origin, in pixels of
    // ReportBuilder::LayoutDpi.
    void paintPage(QPainter *painter, int index) const;

    // The laid-out document, owned by the report. The pointer stays the same
    // for the report's life; the contents are rebuilt after later additions.
    QTextDocument *document() const;

private:
    void append(const Element &element, Qt::Alignment alignment, const QBrush &background,
                bool isInline);
    void printOn(QPagedPaintDevice *device);

    class Private;
    std::unique_ptr<Private> d;
};

}  // namespace ReportEngine
