#pragma once

#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QMarginsF>
#include <QPointer>

#include <functional>

namespace ReportEngine {

class Report;

// The pages of a report one below the other on sheets of paper, for the
// preview. A page is drawn when it first comes into view, at the scale it is
// shown at, and kept while it stays near the view; so the first page shows
// as soon as the pages are laid out, however long the report is. Internal
// to the engine.
class PageView : public QAbstractScrollArea
{
public:
    enum class Mode { FitWidth, WholePage, Custom };

    explicit PageView(QWidget *parent = nullptr);

    // The report's pages stand on paper of this size (in the layout's
    // pixels) with these margins around them.
    void setReport(Report *report, const QSizeF &paper, const QMarginsF &margins);

    void setMode(Mode mode);
    Mode mode() const;
    void zoomIn();
    void zoomOut();

    int pageCount() const;
    int currentPage() const;  // from 1; the page at the top of the view
    void setCurrentPage(int page);
    int renderedPages() const;

    // Called whenever the page at the top of the view may have changed.
    void setPageChanged(std::function<void()> pageChanged);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    qreal pageStep() const;  // the height of a sheet and the gap below it, on screen
    QImage page(int index);
    void updateScale();
    void setScale(qreal scale);

    QPointer<Report> m_report;
    QSizeF m_paper;
    QMarginsF m_margins;
    Mode m_mode = Mode::FitWidth;
    qreal m_scale = 1;
    QHash<int, QImage> m_pages;
    int m_rendered = 0;
    std::function<void()> m_pageChanged;
};

}  // namespace ReportEngine
