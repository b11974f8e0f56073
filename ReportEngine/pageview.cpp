#include "pageview.h"

#include "report.h"

#include <QPainter>
#include <QScrollBar>
#include <QtMath>


namespace ReportEngine {

namespace {

constexpr int Gap = 10;  // pixels around every sheet
constexpr qreal ZoomStep = 1.25;
// Pages kept drawn beyond those in view, so that scrolling back and forth
// does not draw them again; the rest are dropped to bound the memory.
constexpr int KeptPages = 8;

}  // namespace

PageView::PageView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
}

void PageView::setReport(Report *report, const QSizeF &paper, const QMarginsF &margins)
{
    m_report = report;
    m_paper = paper;
    m_margins = margins;
    m_pages.clear();
    updateScale();
}

void PageView::setMode(Mode mode)
{
    m_mode = mode;
    updateScale();
}

PageView::Mode PageView::mode() const
{
    return m_mode;
}

void PageView::zoomIn()
{
    m_mode = Mode::Custom;
    setScale(m_scale * ZoomStep);
}

void PageView::zoomOut()
{
    m_mode = Mode::Custom;
    setScale(m_scale / ZoomStep);
}

int PageView::pageCount() const
{
    return m_report ? m_report->numberOfPages() : 0;
}

int PageView::currentPage() const
{
    if (pageCount() == 0)
        return 0;
    const int page = int((verticalScrollBar()->value() + pageStep() / 2) / pageStep());
    return qBound(1, page + 1, pageCount());
}

void PageView::setCurrentPage(int page)
{
    if (pageCount() == 0)
        return;
    page = qBound(1, page, pageCount());
    verticalScrollBar()->setValue(qRound((page - 1) * pageStep()));
}

int PageView::renderedPages() const
{
    return m_rendered;
}

void PageView::setPageChanged(std::function<void()> pageChanged)
{
    m_pageChanged = std::move(pageChanged);
}

qreal PageView::pageStep() const
{
    return m_paper.height() * m_scale + Gap;
}

void PageView::updateScale()
{
    if (m_paper.isEmpty())
        return;
    const qreal width = (viewport()->width() - 2 * Gap) / m_paper.width();
    const qreal height = (viewport()->height() - 2 * Gap) / m_paper.height();
    if (m_mode == Mode::FitWidth)
        setScale(width);
    else if (m_mode == Mode::WholePage)
        setScale(qMin(width, height));
    else
        setScale(m_scale);
}

void PageView::setScale(qreal scale)
{
    const int page = currentPage();
    const qreal scaleBefore = m_scale;
    m_scale = qMax<qreal>(0.01, scale);
    if (!qFuzzyCompare(scaleBefore, m_scale))
        m_pages.clear();

    const int width = qCeil(m_paper.width() * m_scale) + 2 * Gap;
    const int height = qCeil(pageCount() * pageStep()) + Gap;
    horizontalScrollBar()->setRange(0, qMax(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setRange(0, qMax(0, height - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(qMax(1, viewport()->height() / 20));
    if (page > 0)
        setCurrentPage(page);
    viewport()->update();
    if (m_pageChanged)
        m_pageChanged();
}

// One sheet at the current scale: the page's part of the document inside
// the margins, on white.
QImage PageView::page(int index)
{
    const auto found = m_pages.constFind(index);
    if (found != m_pages.constEnd())
        return *found;

    const qreal ratio = devicePixelRatioF();
    QImage image((m_paper * m_scale * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(m_scale, m_scale);
    painter.translate(m_margins.left(), m_margins.top());
    m_report->paintPage(&painter, index);
    painter.end();

    ++m_rendered;
    m_pages.insert(index, image);
    return image;
}

void PageView::paintEvent(QPaintEvent *)
{
    if (!m_report || m_paper.isEmpty())
        return;
    QPainter painter(viewport());
    const int top = verticalScrollBar()->value();
    const int left = Gap - horizontalScrollBar()->value();
    const int first = qMax(0, int((top - Gap) / pageStep()));
    const int last = qMin(pageCount() - 1, int((top + viewport()->height()) / pageStep()));
    for (int index = first; index <= last; ++index) {
        const QPointF at(left, Gap + index * pageStep() - top);
        painter.drawImage(at, page(index));
    }
    for (auto it = m_pages.begin(); it != m_pages.end();) {
        if (it.key() < first - KeptPages || it.key() > last + KeptPages)
            it = m_pages.erase(it);
        else
            ++it;
    }
}

void PageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScale();
}

void PageView::scrollContentsBy(int, int)
{
    viewport()->update();
    if (m_pageChanged)
        m_pageChanged();
}

}  // namespace ReportEngine
