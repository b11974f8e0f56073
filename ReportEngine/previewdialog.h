#pragma once

#include <QDialog>
#include <QList>
#include <QPageLayout>
#include <QPointer>
#include <QString>

#include <memory>

class QAction;
class QLabel;
class QPrinter;
class QTextDocument;

namespace ReportEngine {

class PageView;
class Report;

// Shows a report page by page and lets the user print it. Run it modally:
// exec() returns 1 (QDialog::Accepted) exactly when the user printed the
// report; closing the window in any other way returns 0.
//
// Test seam
// ---------
// Code that previews reports is tested without a window:
//
//     PreviewDialog::setNextResult(1, dir.filePath("out.pdf"));  // "print" to this PDF
//     report.exec();                                              // code under test
//     QCOMPARE(PreviewDialog::history().size(), 1);
//     QCOMPARE(PreviewDialog::history().first().pageCount, 2);
//
// Each queued answer is used by the next exec() of any PreviewDialog, oldest
// first: exec() returns the queued result at once without showing anything,
// after writing the report to the PDF file when a path was given (read it
// back with pdftotext to check the printed text). Every exec() answered this
// way appends a Shown record to history(), taken at that moment, so a test
// can inspect the report after the code under test has destroyed it. With no
// answer queued exec() shows the real dialog, as in production; in the test
// harness such a modal dialog can be answered with
// ModalHandler::onNextDialog<ReportEngine::PreviewDialog>().
class PreviewDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PreviewDialog(Report *report, QWidget *parent = nullptr);
    ~PreviewDialog() override;

    int exec() override;

    // The printer the report is printed on.
    QPrinter *printer();

    // The window shows the pages one below the other, each drawn when it
    // first comes into view, at the screen's resolution. It opens with the
    // page as wide as the window ("По ширине").
    enum class Zoom { FitWidth, WholePage, Custom };
    Zoom zoom() const;
    int pageCount() const;
    int currentPage() const;  // from 1; 0 before the window was shown
    // The pages drawn so far, for the window's own checks.
    int renderedPages() const;

    // What a preview answered through the seam showed.
    struct Shown
    {
        int result = 0;            // what exec() returned
        QString pdfPath;           // where the report was written; empty: nowhere
        int pageCount = 0;
        QPageLayout pageLayout;    // paper, orientation and margins
        QString text;              // the plain text of the whole document
        std::shared_ptr<QTextDocument> document;  // a copy of the built document
        const Report *report = nullptr;           // for identity only; may be gone
    };

    static void setNextResult(int result, const QString &pdfPath = QString());
    static int pendingResults();
    // Previews answered through the seam, oldest first.
    static QList<Shown> history();
    // Forgets queued answers and history.
    static void reset();

    void setVisible(bool visible) override;

private:
    void ensureUi();
    void printReport();
    void updatePageInfo();

    QPointer<Report> m_report;  // the caller's; may go before the dialog
    std::unique_ptr<QPrinter> m_printer;
    PageView *m_preview = nullptr;
    QLabel *m_pageLabel = nullptr;
};

}  // namespace ReportEngine
