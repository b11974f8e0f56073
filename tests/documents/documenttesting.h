#pragma once

#include "../reportengine/reporttestutil.h"
#include "clock.h"
#include "extendedreport.h"
#include "guitestbase.h"

#include <report.h>

#include <QTemporaryDir>
#include <QTextDocument>

#include <memory>

// The documents' tests: the demo data with the administrator signed in, a
// fixed "now", and the document a build fills, read back as it was built.
class DocumentTestBase : public GuiTestBase
{
    Q_OBJECT

protected:
    static QDateTime moment() { return QDateTime(QDate(2026, 12, 10), QTime(9, 5)); }

    // The built document of one fresh report; valid until the next call.
    QTextDocument *built(ExtendedReport &document)
    {
        report = std::make_unique<ReportEngine::Report>();
        document.build(*report, {});
        return report->document();
    }

    // The text of each page of the last built report as it prints to PDF.
    QStringList printedPages()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("document.pdf"));
        QStringList pages;
        if (report->exportToFile(path)) {
            for (const QString &page : ReportTestUtil::pdfPages(path))
                pages << page.trimmed();
        }
        return pages;
    }

    // A person of the stand-in's own, with its stays and payments given by
    // cost and sum; the payment at `paidUnder` is paid under a contract
    // "45-К/2026" of the demo's first organization.
    int addPerson(const QString &surname, const QList<double> &stayCosts = {},
                  const QList<double> &paymentSums = {}, int paidUnder = -1)
    {
        const int id = server().addRecord(
            "persons", {{"surname", surname}, {"name", "Иван"}, {"lastname", "Петрович"},
                        {"organizationId", 1}, {"billNum", 7}});
        for (double cost : stayCosts)
            server().addRecord("accommodation",
                               {{"personId", id}, {"roomId", 1}, {"rateId", 1},
                                {"inDate", "2026-12-01T12:00:00.000"},
                                {"outDate", "2026-12-03T15:00:00.000"},
                                {"days", 2}, {"hours", 3}, {"cost", cost}});
        for (int i = 0; i < paymentSums.size(); ++i) {
            QJsonObject payment{{"personId", id}, {"summ", paymentSums.at(i)},
                                {"payDate", "2026-12-02T10:00:00.000"}, {"payTypeId", 1}};
            if (i == paidUnder)
                payment.insert("payerId", server().addRecord("pay_type", {{"name", "45-К/2026"},
                                                                          {"attribute", 1},
                                                                          {"payerId", 1}}));
            server().addRecord("payments", payment);
        }
        return id;
    }

    std::unique_ptr<ReportEngine::Report> report;

private slots:
    void initTestCase()
    {
        startServer();
        QVERIFY(environment().signIn(TestEnvironment::adminPassword()));
        Clock::setNow(moment());
    }

    void cleanupTestCase() { Clock::setNow({}); }
};
