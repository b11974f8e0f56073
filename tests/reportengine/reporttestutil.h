#pragma once

#include "hlineelement.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

// Reading back what a report built or printed.
namespace ReportTestUtil {

// The data tables directly in the body, in order; rules are left out.
inline QList<QTextTable *> tables(QTextDocument *document)
{
    QList<QTextTable *> result;
    for (QTextFrame *frame : document->rootFrame()->childFrames()) {
        auto *table = qobject_cast<QTextTable *>(frame);
        if (table && !table->format().hasProperty(ReportEngine::HLineElement::RuleProperty))
            result << table;
    }
    return result;
}

inline QList<QTextTable *> rules(QTextDocument *document)
{
    QList<QTextTable *> result;
    for (QTextFrame *frame : document->rootFrame()->childFrames()) {
        auto *table = qobject_cast<QTextTable *>(frame);
        if (table && table->format().hasProperty(ReportEngine::HLineElement::RuleProperty))
            result << table;
    }
    return result;
}

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

// The text pdftotext reads from a PDF file (one page, or all for 0);
// empty when it failed.
inline QString pdfText(const QString &path, int page = 0)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QString();
    QStringList arguments{QStringLiteral("-layout")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                  << QString::number(page);
    arguments << path << QStringLiteral("-");
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// One page of a PDF file as pdftoppm renders it, in grey; null when it failed.
inline QImage pdfPage(const QString &path, int page, int dpi)
{
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-png"), QStringLiteral("-gray"), QStringLiteral("-r"),
                   QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                   QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QImage();
    return QImage::fromData(process.readAllStandardOutput(), "PNG");
}

}  // namespace ReportTestUtil
