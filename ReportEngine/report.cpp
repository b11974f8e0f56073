#include "report.h"

#include "errordetails.h"
#include "placedelement.h"
#include "reportbuilder.h"
#include "spacerelement.h"
#include "xmlelementhandler.h"
#include "xmltemplateloader.h"

#include <QAbstractItemModel>
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextDocument>
#include <QTextOption>

#include <cmath>

namespace ReportEngine {

namespace {

constexpr qreal LayoutDpi = ReportBuilder::LayoutDpi;
constexpr qreal TabStopMm = 12.5;
// What is left of the page between the margins at the least.
constexpr qreal MinimumPrintableMm = 20.0;

}  // namespace

class Report::Private
{
public:
    // A document the report is written into: the one that prints, which
    // leaves the pieces of long tables that the engine draws to it, or the
    // one callers read, which holds every piece as a table.
    struct Output
    {
        explicit Output(bool drawsPieces)
            : drawsPieces(drawsPieces)
        {
        }

        const bool drawsPieces;
        QTextDocument document;
        DrawnPieces pieces;
        bool changed = true;
    };

    Private()
        : layoutDevice(1, 1, QImage::Format_ARGB32)
    {
        const int dotsPerMetre = qRound(LayoutDpi / 0.0254);
        layoutDevice.setDotsPerMeterX(dotsPerMetre);
        layoutDevice.setDotsPerMeterY(dotsPerMetre);
        for (QTextDocument *document : {&printed.document, &read.document}) {
            document->documentLayout()->setPaintDevice(&layoutDevice);
            document->setUndoRedoEnabled(false);
            document->setUseDesignMetrics(true);
            document->setLayoutEnabled(false);
        }
    }

    void contentsChanged()
    {
        printed.changed = true;
        read.changed = true;
    }

    void build(Output &output, const QSizeF &pageMillimetres);
    // Writes the body and lays it out; true when a planned piece missed.
    bool write(Output &output, const QSizeF &pageSize, bool planning);

    // Body indices [first, end), end -1 while the group is open; from and to
    // are where the group begins and ends in the built document.
    struct KeptGroup
    {
        qsizetype first = 0;
        qsizetype end = -1;
        int from = 0;
        int to = 0;
    };
    static void keepTogether(QTextDocument &document, const KeptGroup &group);

    // Where a kept group starts in the built document: a paragraph of the
    // body, or a table when one comes first.
    struct GroupStart
    {
        QTextBlock block;
        QTextFrame *table = nullptr;
    };
    static GroupStart groupStart(const QTextDocument &document, int position);
    static void setBreakBefore(const GroupStart &start);

    QImage layoutDevice;  // declared before the documents, which use it
    Output printed{true};
    Output read{false};

    QMarginsF margins{20, 20, 20, 20};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QFont defaultFont;

    QList<PlacedElement> header;
    QList<PlacedElement> body;
    QList<KeptGroup> keptGroups;

    QHash<QString, QPointer<QAbstractItemModel>> models;
    QHash<QString, QString> textValues;
    std::unique_ptr<XmlElementHandler> handler;
};

void Report::Private::build(Output &output, const QSizeF &pageMillimetres)
{
    // A whole number of pixels high: a table that continues on the next page
    // draws its frame from the page's top, and Qt rounds the cells' borders
    // below it to whole pixels; a fractional page would part the two lines.
    // Printing stretches the page by less than a pixel to fill the paper.
    QSizeF pageSize = pageMillimetres * (LayoutDpi / 25.4);
    pageSize.setHeight(std::floor(pageSize.height()));
    // Long tables are split and kept groups moved where their pages break,
    // so the contents are written for one page size and font.
    QTextDocument &document = output.document;
    if (!output.changed && document.pageSize() == pageSize && document.defaultFont() == defaultFont)
        return;

    // A long table's pieces planned from its rows' heights are checked as
    // they are laid out; should a plan have missed, the document is written
    // again piece by piece as laid out.
    if (write(output, pageSize, true))
        write(output, pageSize, false);
    output.changed = false;
}

bool Report::Private::write(Output &output, const QSizeF &pageSize, bool planning)
{
    QTextDocument &document = output.document;
    output.pieces.clear();
    document.setLayoutEnabled(false);
    document.clear();
    document.setDocumentMargin(0);
    // What Qt moves to a new page starts right on the page's upper edge,
    // and Qt draws it on the page before as well, clipped away: unseen on
    // paper, yet there in the PDF's text. A hair of margin at the top of
    // every page keeps it off the page before.
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    root.setTopMargin(ReportBuilder::formatUnitsPerMillimetre() * 25.4 / LayoutDpi);
    document.rootFrame()->setFrameFormat(root);
    QTextOption option = document.defaultTextOption();
    option.setTabStopDistance(TabStopMm * ReportBuilder::formatUnitsPerMillimetre());
    document.setDefaultTextOption(option);
    document.setDefaultFont(defaultFont);
    document.setPageSize(pageSize);
    document.setLayoutEnabled(true);

    // One edit block, so that the layout follows the whole batch once rather
    // than each table: Qt rescans every frame of the document at the end of
    // an edit that added one.
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    ReportBuilder builder(cursor, ReportBuilder::Flow::Body);
    builder.setPlanning(planning);
    if (output.drawsPieces)
        builder.setDrawnPieces(&output.pieces);
    for (const PlacedElement &placed : std::as_const(header))
        builder.add(placed);
    qsizetype end = body.size();
    while (end > 0 && dynamic_cast<const SpacerElement *>(body.at(end - 1).element.get()))
        --end;
    for (qsizetype i = 0; i <= end; ++i) {
        // The builder always writes at the end of the document.
        const int position = document.characterCount() - 1;
        for (KeptGroup &group : keptGroups) {
            if (qMin(group.first, end) == i)
                group.from = position;
            if (qMin(group.end < 0 ? end : group.end, end) == i) {
                group.to = position;
                // Settled before what follows is written, so that a long
                // table after it is split where its pages will break.
                cursor.endEditBlock();
                keepTogether(document, group);
                cursor.beginEditBlock();
            }
        }
        if (i < end)
            builder.add(body.at(i));
    }
    cursor.endEditBlock();
    return builder.planMissed();
}

Report::Private::GroupStart Report::Private::groupStart(const QTextDocument &document,
                                                       int position)
{
    // The outermost table a position lies in; none in the body itself.
    const auto tableAt = [&document](int at) -> QTextFrame * {
        QTextFrame *frame = document.frameAt(at);
        while (frame && frame->parentFrame() != document.rootFrame())
            frame = frame->parentFrame();
        return frame;
    };
    // The paragraph at the position is the group's own only when the group's
    // first text filled it; one that went on before the group ends there, and
    // an empty one is vertical space before the group or the paragraph Qt
    // keeps, and does not draw, before a table.
    QTextBlock block = document.findBlock(position);
    if (block.position() < position || block.length() == 1)
        block = block.next();
    return {block, block.isValid() ? tableAt(block.position()) : nullptr};
}

void Report::Private::setBreakBefore(const GroupStart &start)
{
    if (start.table) {
        QTextFrameFormat format = start.table->frameFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        start.table->setFrameFormat(format);
    } else {
        QTextBlockFormat format = start.block.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(start.block).setBlockFormat(format);
    }
}

// A group moves to a new page when it would cross a page boundary and
// something before it shares its first page. Groups are settled in order,
// each on the layout the breaks before it left.
void Report::Private::keepTogether(QTextDocument &document, const KeptGroup &group)
{
    if (group.to <= group.from)
        return;
    const GroupStart start = groupStart(document, group.from);
    if (!start.block.isValid())
        return;
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    const qreal pageHeight = document.pageSize().height();
    // A paragraph whose bottom is a page's lower edge lies on that page.
    const auto pageOf = [pageHeight](qreal y) { return int(std::floor(y / pageHeight)); };
    const auto bottomPage = [&](int position) {
        return pageOf(layout->blockBoundingRect(document.findBlock(position)).bottom() - 0.5);
    };
    const int firstPage = pageOf(layout->blockBoundingRect(start.block).top());
    if (group.from > 0 && bottomPage(group.from - 1) == firstPage
        && bottomPage(group.to - 1) != firstPage)
        setBreakBefore(start);
}

Report::Report(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
}

Report::~Report() = default;

void Report::setMargins(qreal top, qreal left, qreal bottom, qreal right)
{
    d->margins = QMarginsF(qMax<qreal>(0, left), qMax<qreal>(0, top), qMax<qreal>(0, right),
                           qMax<qreal>(0, bottom));
}

QMarginsF Report::margins() const
{
    return d->margins;
}

void Report::setDefaultFont(const QFont &font)
{
    d->defaultFont = font;
}

QFont Report::defaultFont() const
{
    return d->defaultFont;
}

void Report::setPageOrientation(QPageLayout::Orientation orientation)
{
    d->orientation = orientation;
}

QPageLayout::Orientation Report::pageOrientation() const
{
    return d->orientation;
}

QPageLayout Report::pageLayout() const
{
    // Margins that leave too little of the page are scaled down rather than
    // making every line a page of its own.
    const QSizeF paper = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    const QSizeF page = d->orientation == QPageLayout::Landscape ? paper.transposed() : paper;
    QMarginsF margins = d->margins;
    const qreal horizontal = margins.left() + margins.right();
    if (horizontal > page.width() - MinimumPrintableMm) {
        const qreal scale = (page.width() - MinimumPrintableMm) / horizontal;
        margins.setLeft(margins.left() * scale);
        margins.setRight(margins.right() * scale);
    }
    const qreal vertical = margins.top() + margins.bottom();
    if (vertical > page.height() - MinimumPrintableMm) {
        const qreal scale = (page.height() - MinimumPrintableMm) / vertical;
        margins.setTop(margins.top() * scale);
        margins.setBottom(margins.bottom() * scale);
    }
    return QPageLayout(QPageSize(QPageSize::A4), d->orientation, margins,
                       QPageLayout::Millimeter);
}

void Report::append(const Element &element, Qt::Alignment alignment, const QBrush &background,
                    bool isInline)
{
    d->body.append({std::shared_ptr<const Element>(element.clone()), alignment, background,
                    isInline});
    d->contentsChanged();
}

void Report::addElement(const Element &element, Qt::Alignment alignment,
                        const QColor &background)
{
    append(element, alignment, background.isValid() ? QBrush(background) : QBrush(), false);
}

void Report::addVerticalSpacing(qreal millimetres)
{
    append(SpacerElement(millimetres), Qt::AlignLeft, QBrush(), false);
}

void Report::beginKeepTogether()
{
    endKeepTogether();
    Private::KeptGroup group;
    group.first = d->body.size();
    d->keptGroups.append(group);
    d->contentsChanged();
}

void Report::endKeepTogether()
{
    if (d->keptGroups.isEmpty() || d->keptGroups.last().end >= 0)
        return;
    d->keptGroups.last().end = d->body.size();
    d->contentsChanged();
}

void Report::associateModel(const QString &name, QAbstractItemModel *model)
{
    d->models.insert(name, model);
}

void Report::associateTextValue(const QString &id, const QString &text)
{
    d->textValues.insert(id, text);
}

void Report::setXmlElementHandler(XmlElementHandler *handler)
{
    if (handler != d->handler.get())
        d->handler.reset(handler);
}

bool Report::loadFromXML(QIODevice *device, ErrorDetails *details)
{
    XmlTemplateLoader loader(d->models, d->textValues, d->handler.get());
    TemplateContent content;
    if (!loader.load(device, &content)) {
        if (details)
            *details = loader.error();
        return false;
    }
    if (details)
        *details = ErrorDetails();

    if (!content.fontFamily.isEmpty() || content.pointSize > 0) {
        QFont font = d->defaultFont;
        if (!content.fontFamily.isEmpty())
            font.setFamilies({content.fontFamily});
        if (content.pointSize > 0)
            font.setPointSizeF(content.pointSize);
        d->defaultFont = font;
    }
    QMarginsF &margins = d->margins;
    margins.setTop(qMax<qreal>(0, content.marginTop.value_or(margins.top())));
    margins.setLeft(qMax<qreal>(0, content.marginLeft.value_or(margins.left())));
    margins.setBottom(qMax<qreal>(0, content.marginBottom.value_or(margins.bottom())));
    margins.setRight(qMax<qreal>(0, content.marginRight.value_or(margins.right())));

    if (content.hasHeader)
        d->header = content.header;
    d->body.append(content.body);
    d->contentsChanged();
    return true;
}

// Additions only collect elements and the layout waits until it is asked
// for, so a batch needs no bracketing; the calls are kept for callers that
// mark their batches.
void Report::beginEdit()
{
}

void Report::endEdit()
{
}

int Report::numberOfPages() const
{
    d->build(d->printed, pageLayout().paintRect(QPageLayout::Millimeter).size());
    return d->printed.document.pageCount();
}

QTextDocument *Report::document() const
{
    d->build(d->read, pageLayout().paintRect(QPageLayout::Millimeter).size());
    return &d->read.document;
}

void Report::paintPage(QPainter *painter, int index) const
{
    d->build(d->printed, pageLayout().paintRect(QPageLayout::Millimeter).size());
    ReportEngine::paintPage(painter, d->printed.document, d->printed.pieces, index);
}

void Report::printOn(QPagedPaintDevice *device)
{
    device->setPageLayout(pageLayout());
    // A printer may keep margins of its own; lay the pages out for the area
    // it really prints on.
    d->build(d->printed, device->pageLayout().paintRect(QPageLayout::Millimeter).size());
    const QTextDocument &document = d->printed.document;

    // Page by page as QTextDocument::print prints a paginated document, but
    // through paintPage, which draws the pieces of long tables too.
    QPainter painter(device);
    if (!painter.isActive())
        return;
    const QSizeF page = document.pageSize();
    painter.scale(device->width() / page.width(), device->height() / page.height());
    const QPageRanges ranges = device->pageRanges();
    int first = ranges.firstPage();
    int last = ranges.lastPage();
    if (first == 0 && last == 0) {
        first = 1;
        last = document.pageCount();
    }
    first = qMax(1, first);
    last = qMin(document.pageCount(), last);
    // A page left out of the ranges takes no sheet: "1, 3" prints two pages.
    bool started = false;
    for (int number = first; number <= last; ++number) {
        if (!ranges.isEmpty() && !ranges.contains(number))
            continue;
        if (started && !device->newPage())
            return;
        ReportEngine::paintPage(&painter, document, d->printed.pieces, number - 1);
        started = true;
    }
}

void Report::print(QPrinter *printer)
{
    if (!printer)
        return;
    printer->setFullPage(false);
    printOn(printer);
}

bool Report::exportToFile(const QString &pdfPath)
{
    {
        QFile probe(pdfPath);
        if (!probe.open(QIODevice::WriteOnly))
            return false;
    }
    {
        QPdfWriter writer(pdfPath);
        printOn(&writer);
    }
    return QFileInfo(pdfPath).size() > 0;
}

}  // namespace ReportEngine
