#pragma once

#include "../reportengine/reporttestutil.h"
#include "clock.h"
#include "extendedreport.h"
#include "guitestbase.h"
#include "preloaderwidget.h"

#include <report.h>

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextDocument>
#include <QTextTable>

#include <memory>

// What the tests of the statistical reports share: the stand-in on the
// reports' fixture, given afresh to every test, with the administrator
// signed in; a report built on a fresh document, the stand-in answering a
// report path with prepared bytes, and the built tables read back as text.
class ReportTestBase : public GuiTestBase
{
    Q_OBJECT

protected:
    // 15 June 2026, 9:30: "this year" is 2026 and the current hour 9.
    static QDateTime fixedNow() { return QDateTime(QDate(2026, 6, 15), QTime(9, 30)); }

    // A few records of every kind the reports read (tests/reports/data).
    static QJsonObject fixture() { return fixtureFile(QStringLiteral(LOMI_TEST_DATA_DIR "/fixture.json")); }

    void initTest() override
    {
        Clock::setNow(fixedNow());
        server().loadFixture(fixture());
    }
    void cleanupTest() override
    {
        Clock::setNow(QDateTime());
        QVERIFY2(preloaderHidden(), "the busy indicator is still shown");
    }

    // The server answers every GET of `path` with this body and status 200.
    void answer(const QString &path, const QByteArray &body)
    {
        StandIn::Failure prepared{StandIn::FailureKind::Status, 200};
        prepared.body = body;
        server().injectFailure("GET", path, prepared);
    }

    // The request fails; its "Request failed" box is answered.
    void fail(const QString &path)
    {
        server().injectFailure("GET", path, StandIn::Failure{StandIn::FailureKind::Status, 500});
        MessageBox::setNextAnswer(QMessageBox::Ok);
    }

    QString lastQuery(const QString &path)
    {
        const auto sent = server().requestsTo("GET", path);
        return sent.isEmpty() ? QStringLiteral("<no request>") : sent.last().query;
    }

    // `build` on a fresh document, kept until the next call.
    QTextDocument *build(ExtendedReport &report, const QMap<QString, QVariant> &values = {})
    {
        document = std::make_unique<ReportEngine::Report>();
        report.build(*document, values);
        return document->document();
    }

    // The tables of the body, without the page header's; of the last build
    // unless a document is given.
    QList<QTextTable *> tables(QTextDocument *built = nullptr) const
    {
        return ReportTestUtil::tables(built ? built : document->document()).mid(1);
    }

    // Each row as its cells joined by " | ", a cell's paragraphs by "\n";
    // a cell spanning several columns appears once, a table in a cell as
    // "<table>".
    static QStringList rows(QTextTable *table)
    {
        QStringList result;
        for (int row = 0; row < table->rows(); ++row) {
            QStringList cells;
            for (int column = 0; column < table->columns(); ++column) {
                if (table->cellAt(row, column).column() != column)
                    continue;
                const QString text = ReportTestUtil::cellText(table, row, column);
                const qsizetype nested = text.indexOf(QChar(0xFDD0));  // where a frame begins
                cells << (nested < 0 ? text : text.left(nested) + QStringLiteral("<table>"));
            }
            result << cells.join(QStringLiteral(" | "));
        }
        return result;
    }

    // The horizontal alignment of each cell of a row: "<" left, "^" centre,
    // ">" right.
    static QString alignments(QTextTable *table, int row)
    {
        QString result;
        for (int column = 0; column < table->columns(); ++column) {
            if (table->cellAt(row, column).column() != column)
                continue;
            const Qt::Alignment a
                = ReportTestUtil::cellBlock(table, row, column).blockFormat().alignment();
            result += a & Qt::AlignHCenter ? '^' : a & Qt::AlignRight ? '>' : '<';
        }
        return result;
    }

    static QStringList paragraphs(QTextDocument *document)
    {
        return ReportTestUtil::bodyParagraphs(document);
    }

    static bool isBold(QTextDocument *document, const QString &text)
    {
        return ReportTestUtil::textFormat(document, text).fontWeight() == QFont::Bold;
    }

    static bool preloaderHidden()
    {
        for (QWidget *widget : QApplication::allWidgets()) {
            if (qobject_cast<PreloaderWidget *>(widget) && widget->isVisible())
                return false;
        }
        return true;
    }

    std::unique_ptr<ReportEngine::Report> document;

private slots:
    void initTestCase()
    {
        startServer(fixture());
        QVERIFY(environment().signIn(TestEnvironment::adminPassword()));
    }
};
