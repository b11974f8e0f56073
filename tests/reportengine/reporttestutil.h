#pragma once

#include "hlineelement.h"

#include <QAbstractTextDocumentLayout>

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cmath>

// Reading back what a report built or printed.
namespace ReportTestUtil {

// The tables directly in the body, in order: the data tables, or the rules.
inline QList<QTextTable *> bodyTables(QTextDocument *document, bool wantRules)
{
    QList<QTextTable *> result;
    for (QTextFrame *frame : document->rootFrame()->childFrames()) {
        auto *table = qobject_cast<QTextTable *>(frame);
        if (table
            && table->format().hasProperty(ReportEngine::HLineElement::RuleProperty) == wantRules)
            result << table;
    }
    return result;
}
inline QList<QTextTable *> tables(QTextDocument *document) { return bodyTables(document, false); }
inline QList<QTextTable *> rules(QTextDocument *document) { return bodyTables(document, true); }

// The text of a cell, paragraphs joined by "\n".
inline QString cellText(QTextTable *table, int row, int column)
{
    const QTextTableCell cell = table->cellAt(row, column);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
    return cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

inline QTextBlock cellBlock(QTextTable *table, int row, int column)
{
    return table->cellAt(row, column).firstCursorPosition().block();
}

// The first of the consecutive tables that does not fill its last page: the
// next table's first row would have fitted below it, above the last 128th of
// the page (where Qt would start what follows the table a page later) and
// two pixels. Each table has `headerRows` header rows; the next table needs
// two rows of data for its first row's height to show. -1 when every table
// fills it.
inline int firstUnfilledPage(const QList<QTextTable *> &pieces, int headerRows)
{
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        QTextTable *next = pieces.at(i + 1);
        if (next->rows() < headerRows + 2)
            continue;
        QTextDocument *document = next->document();
        QAbstractTextDocumentLayout *layout = document->documentLayout();
        const qreal step = layout->blockBoundingRect(cellBlock(next, headerRows + 1, 0)).top()
                - layout->blockBoundingRect(cellBlock(next, headerRows, 0)).top();
        const qreal pageHeight = document->pageSize().height();
        const qreal bottom = layout->frameBoundingRect(pieces.at(i)).bottom();
        const qreal pageEnd = (std::floor((bottom - 1) / pageHeight) + 1) * pageHeight;
        if (bottom + step < pageEnd - pageHeight / 128 - 2)
            return int(std::floor((bottom - 1) / pageHeight)) + 1;
    }
    return -1;
}

// The non-empty paragraphs of the body outside tables.
inline QStringList bodyParagraphs(QTextDocument *document)
{
    QStringList result;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (!QTextCursor(block).currentTable() && !block.text().isEmpty())
            result << block.text();
    }
    return result;
}

inline QTextBlock findBlock(QTextDocument *document, const QString &text)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.text() == text)
            return block;
    }
    return QTextBlock();
}

// The character format a paragraph's text starts with, and the paragraph's alignment.
inline QTextCharFormat textFormat(QTextDocument *document, const QString &text)
{
    return findBlock(document, text).begin().fragment().charFormat();
}
inline Qt::Alignment alignmentOf(QTextDocument *document, const QString &text)
{
    return findBlock(document, text).blockFormat().alignment();
}

// What a command-line tool writes to its standard output; empty when it failed.
inline QByteArray toolOutput(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

// The text pdftotext reads from a PDF file (one page, or all for 0).
inline QString pdfText(const QString &path, int page = 0)
{
    QStringList arguments{QStringLiteral("-layout")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                  << QString::number(page);
    return QString::fromUtf8(toolOutput(QStringLiteral("pdftotext"),
                                        arguments << path << QStringLiteral("-")));
}

// The text of each page of a PDF file; empty when it cannot be read.
inline QStringList pdfPages(const QString &path)
{
    const QRegularExpressionMatch count =
            QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                    .match(QString::fromUtf8(toolOutput(QStringLiteral("pdfinfo"), {path})));
    QStringList pages;
    for (int page = 1; page <= count.captured(1).toInt(); ++page)
        pages << pdfText(path, page);
    return pages;
}

// One page of a PDF file as pdftoppm renders it, in grey; null when it failed.
inline QImage pdfPage(const QString &path, int page, int dpi)
{
    return QImage::fromData(
            toolOutput(QStringLiteral("pdftoppm"),
                       {QStringLiteral("-png"), QStringLiteral("-gray"), QStringLiteral("-r"),
                        QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                        QStringLiteral("-l"), QString::number(page),
                        QStringLiteral("-singlefile"), path}),
            "PNG");
}

}  // namespace ReportTestUtil
