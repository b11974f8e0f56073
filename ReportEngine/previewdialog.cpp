#include "previewdialog.h"

#include "pageview.h"
#include "report.h"
#include "reportbuilder.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QQueue>
#include <QScreen>
#include <QStyle>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

namespace ReportEngine {

namespace {

struct QueuedAnswer
{
    int result;
    QString pdfPath;
};

QQueue<QueuedAnswer> &queuedAnswers()
{
    static QQueue<QueuedAnswer> queue;
    return queue;
}

QList<PreviewDialog::Shown> &shownPreviews()
{
    static QList<PreviewDialog::Shown> shown;
    return shown;
}

QString pageInfo(int page, int pageCount)
{
    return QStringLiteral("Страница %1 из %2").arg(page).arg(pageCount);
}

}  // namespace

PreviewDialog::PreviewDialog(Report *report, QWidget *parent)
    : QDialog(parent)
    , m_report(report)
{
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    setModal(true);
}

PreviewDialog::~PreviewDialog()
{
    // Its page callback reaches into the dialog; let it go while that is whole.
    delete m_preview;
}

PreviewDialog::Zoom PreviewDialog::zoom() const
{
    if (!m_preview)
        return Zoom::FitWidth;
    switch (m_preview->mode()) {
    case PageView::Mode::FitWidth:
        return Zoom::FitWidth;
    case PageView::Mode::WholePage:
        return Zoom::WholePage;
    case PageView::Mode::Custom:
        break;
    }
    return Zoom::Custom;
}

int PreviewDialog::pageCount() const
{
    return m_preview ? m_preview->pageCount() : 0;
}

int PreviewDialog::currentPage() const
{
    return m_preview ? m_preview->currentPage() : 0;
}

int PreviewDialog::renderedPages() const
{
    return m_preview ? m_preview->renderedPages() : 0;
}

QPrinter *PreviewDialog::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_printer.get();
}

int PreviewDialog::exec()
{
    if (queuedAnswers().isEmpty())
        return QDialog::exec();

    const QueuedAnswer answer = queuedAnswers().dequeue();
    Shown shown;
    shown.result = answer.result;
    shown.report = m_report.data();
    if (m_report) {
        if (!answer.pdfPath.isEmpty() && m_report->exportToFile(answer.pdfPath))
            shown.pdfPath = answer.pdfPath;
        shown.pageCount = m_report->numberOfPages();
        shown.pageLayout = m_report->pageLayout();
        shown.text = m_report->document()->toPlainText();
        shown.document.reset(m_report->document()->clone());
    }
    shownPreviews().append(shown);
    setResult(answer.result);
    return answer.result;
}

void PreviewDialog::setVisible(bool visible)
{
    // The window is made when it is first shown, not for answers of the test
    // seam; children made later than this would stay hidden.
    if (visible)
        ensureUi();
    QDialog::setVisible(visible);
}

void PreviewDialog::ensureUi()
{
    if (m_preview)
        return;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *toolBar = new QToolBar(this);
    layout->addWidget(toolBar);

    m_preview = new PageView(this);
    layout->addWidget(m_preview, 1);
    if (m_report) {
        // The report's own page: the sheet of paper at the layout's resolution
        // and the margins around the laid-out body.
        const QPageLayout page = m_report->pageLayout();
        const qreal pixelsPerMm = ReportBuilder::LayoutDpi / 25.4;
        const QMarginsF margins = page.margins(QPageLayout::Millimeter);
        m_preview->setReport(m_report,
                               page.fullRect(QPageLayout::Millimeter).size() * pixelsPerMm,
                               QMarginsF(margins.left(), margins.top(), margins.right(),
                                         margins.bottom())
                                       * pixelsPerMm);
    }
    m_preview->setPageChanged([this] { updatePageInfo(); });

    QAction *print = toolBar->addAction(QStringLiteral("Печать..."));
    print->setShortcut(QKeySequence::Print);
    connect(print, &QAction::triggered, this, &PreviewDialog::printReport);
    toolBar->addSeparator();

    // The page arrows show as icons, their names as tool tips, so that the
    // bar fits a laptop's screen.
    QAction *previous = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack),
                                           QStringLiteral("Предыдущая страница"));
    connect(previous, &QAction::triggered, this, [this] {
        m_preview->setCurrentPage(m_preview->currentPage() - 1);
        updatePageInfo();
    });
    m_pageLabel = new QLabel(this);
    m_pageLabel->setContentsMargins(8, 0, 8, 0);
    // Its text comes with the first page; the bar is measured before that.
    m_pageLabel->setMinimumWidth(
            m_pageLabel->fontMetrics().horizontalAdvance(pageInfo(999, 999)) + 16);
    toolBar->addWidget(m_pageLabel);
    QAction *next = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward),
                                       QStringLiteral("Следующая страница"));
    connect(next, &QAction::triggered, this, [this] {
        m_preview->setCurrentPage(m_preview->currentPage() + 1);
        updatePageInfo();
    });
    toolBar->addSeparator();

    QAction *zoomOut = toolBar->addAction(QStringLiteral("Уменьшить"));
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    connect(zoomOut, &QAction::triggered, this, [this] { m_preview->zoomOut(); });
    QAction *zoomIn = toolBar->addAction(QStringLiteral("Увеличить"));
    zoomIn->setShortcut(QKeySequence::ZoomIn);
    connect(zoomIn, &QAction::triggered, this, [this] { m_preview->zoomIn(); });
    QAction *fitWidth = toolBar->addAction(QStringLiteral("По ширине"));
    connect(fitWidth, &QAction::triggered, this,
            [this] { m_preview->setMode(PageView::Mode::FitWidth); });
    QAction *fitPage = toolBar->addAction(QStringLiteral("Страница целиком"));
    connect(fitPage, &QAction::triggered, this,
            [this] { m_preview->setMode(PageView::Mode::WholePage); });
    toolBar->addSeparator();

    QAction *close = toolBar->addAction(QStringLiteral("Закрыть"));
    connect(close, &QAction::triggered, this, &QDialog::reject);

    // The page as wide as the window, so that the text is readable at first
    // sight, on a window large enough to read it, whoever opens the preview:
    // one that nobody sized starts at two thirds of the screen, as the report
    // run sizes its own, and wide enough for the tool bar to show all its
    // buttons where the screen allows.
    if (!testAttribute(Qt::WA_Resized)) {
        const QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen();
        const QRect available = target->availableGeometry();
        const int width = qMax(available.width() * 2 / 3, toolBar->sizeHint().width());
        resize(qMin(width, available.width()), available.height() * 2 / 3);
    }
}

void PreviewDialog::updatePageInfo()
{
    if (!m_preview || !m_pageLabel)
        return;
    m_pageLabel->setText(pageInfo(m_preview->currentPage(), m_preview->pageCount()));
}

void PreviewDialog::printReport()
{
    if (!m_report)
        return;
    QPrintDialog dialog(printer(), this);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    dialog.setMinMax(1, m_report->numberOfPages());
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_report->print(printer());
    accept();
}

void PreviewDialog::setNextResult(int result, const QString &pdfPath)
{
    queuedAnswers().enqueue({result, pdfPath});
}

int PreviewDialog::pendingResults()
{
    return queuedAnswers().size();
}

QList<PreviewDialog::Shown> PreviewDialog::history()
{
    return shownPreviews();
}

void PreviewDialog::reset()
{
    queuedAnswers().clear();
    shownPreviews().clear();
}

}  // namespace ReportEngine
