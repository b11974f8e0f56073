#include "testregistry.h"

#include "extendedreport.h"
#include "guitestbase.h"
#include "modalhandler.h"
#include "reportfilterdialog.h"
#include "reportsextendedxmlelementhandler.h"
#include "reportshelper.h"

#include <errordetails.h>
#include <previewdialog.h>
#include <report.h>
#include <textelement.h>

#include <QDate>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QVBoxLayout>

using ReportEngine::PreviewDialog;

namespace {

class TextFilter : public ReportFilterDialog
{
    Q_OBJECT

public:
    TextFilter()
    {
        auto *layout = new QVBoxLayout(this);
        field = new QLineEdit(this);
        layout->addWidget(field);
    }

    void reset() override
    {
        ++resets;
        field->setText("по умолчанию");
    }

    QMap<QString, QVariant> getValues() override { return {{"text", field->text()}}; }

    QLineEdit *field;
    int resets = 0;
};

class RecordingReport : public ExtendedReport
{
    Q_OBJECT

public:
    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override
    {
        builds << values;
        if (withHeader)
            loadDefault(report);
        report.addElement(ReportEngine::TextElement(
            QStringLiteral("Текст: %1").arg(values.value("text").toString())));
    }

    QList<QMap<QString, QVariant>> builds;
    bool withHeader = false;
};

}  // namespace

class ReportRunTest : public GuiTestBase
{
    Q_OBJECT

    QTemporaryDir dir;

    QString writeTemplate(const QString &name, const QByteArray &xml)
    {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(xml);
        return file.fileName();
    }

private slots:
    void initTestCase() { QVERIFY(startServer().signIn(TestEnvironment::adminPassword())); }

    void withoutFilterOnePreviewWhateverItsResult()
    {
        RecordingReport report;
        PreviewDialog::setNextResult(0);
        report.exec();
        QCOMPARE(report.builds.size(), 1);
        QVERIFY(report.builds.first().isEmpty());
        QCOMPARE(PreviewDialog::history().size(), 1);
        QCOMPARE(PreviewDialog::pendingResults(), 0);
    }

    void cancellingTheFilterBuildsNothing()
    {
        RecordingReport report;
        TextFilter filter;
        report.setFilterDialog(&filter);
        ModalHandler::rejectNext<TextFilter>();
        report.exec();
        QCOMPARE(filter.resets, 1);
        QCOMPARE(report.builds.size(), 0);
        QCOMPARE(PreviewDialog::history().size(), 0);
    }

    void closingThePreviewReturnsToTheFilterWithTheLastValues()
    {
        RecordingReport report;
        TextFilter filter;
        report.setFilterDialog(&filter);
        QCOMPARE(report.filterDialog(), &filter);

        ModalHandler::onNextDialog<TextFilter>([](TextFilter *f) {
            QCOMPARE(f->field->text(), QString("по умолчанию"));
            QCOMPARE(f->windowTitle(), QString("Фильтр"));
            f->field->setText("первый");
            f->accept();
        });
        PreviewDialog::setNextResult(0);  // closed without printing
        ModalHandler::onNextDialog<TextFilter>([](TextFilter *f) {
            // Not reset again: the user's last entry is still there.
            QCOMPARE(f->field->text(), QString("первый"));
            f->field->setText("второй");
            f->accept();
        });
        PreviewDialog::setNextResult(1);  // printed: the run ends
        report.exec();

        QCOMPARE(filter.resets, 1);
        QCOMPARE(report.builds.size(), 2);
        QCOMPARE(report.builds.at(0).value("text").toString(), QString("первый"));
        QCOMPARE(report.builds.at(1).value("text").toString(), QString("второй"));
        QCOMPARE(PreviewDialog::history().size(), 2);
        QVERIFY(PreviewDialog::history().at(1).text.contains("Текст: второй"));
        QCOMPARE(ModalHandler::pending(), 0);

        // A new run starts from the defaults again.
        ModalHandler::rejectNext<TextFilter>();
        report.exec();
        QCOMPARE(filter.resets, 2);
    }

    void previewOpensAtTwoThirdsOfTheScreen()
    {
        RecordingReport report;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QSize seen;
        ModalHandler::onNextDialog<PreviewDialog>([&](PreviewDialog *d) {
            seen = d->size();
            d->reject();
        });
        report.exec();
        QCOMPARE(seen, QSize(screen.width() * 2 / 3, screen.height() * 2 / 3));
    }

    void pageHeaderShowsTheOrganisationAndTheMoment()
    {
        RecordingReport report;
        report.withHeader = true;
        PreviewDialog::setNextResult(0);
        report.exec();
        const QString text = PreviewDialog::history().first().text;
        const QString name = server().global("OrganizationInfo").toObject()["name"].toString();
        QVERIFY2(text.contains(name), qPrintable(text));
        QVERIFY(text.contains(QDate::currentDate().toString("dd.MM.yyyy")));
        QVERIFY(!text.contains("OrganizationName"));
        QVERIFY(!text.contains("00.00.00 00:00"));
        // The organisation document was read with the bearer header only.
        const auto sent = server().requestsTo("GET", "globals/OrganizationInfo");
        QVERIFY(!sent.isEmpty());
        QVERIFY(!sent.last().hasHeader("Content-Type"));
    }

    void dateOnly_data()
    {
        QTest::addColumn<QString>("attribute");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("printed");

        QTest::newRow("date and time") << "true" << "05.03.2024 14:30" << "05.03.2024";
        QTest::newRow("ISO with ms") << "true" << "2024-03-05T14:30:00.000" << "05.03.2024";
        QTest::newRow("ISO date") << "true" << "2024-03-05" << "05.03.2024";
        QTest::newRow("neither form") << "true" << "вчера" << "";
        QTest::newRow("capitalised value keeps the time") << "True" << "05.03.2024 14:30"
                                                           << "05.03.2024 14:30";
        QTest::newRow("upper case value keeps the time") << "TRUE" << "05.03.2024 14:30"
                                                         << "05.03.2024 14:30";
        QTest::newRow("false") << "false" << "05.03.2024 14:30" << "05.03.2024 14:30";
    }

    void dateOnly()
    {
        QFETCH(QString, attribute);
        QFETCH(QString, value);
        QFETCH(QString, printed);

        const QString path = writeTemplate(
            "date.xml", QStringLiteral("<report><text id=\"when\" dateOnly=\"%1\">x</text></report>")
                            .arg(attribute)
                            .toUtf8());
        ReportEngine::Report report;
        report.associateTextValue("when", value);
        QVERIFY(ReportsHelper::loadReport(path, &report));
        QCOMPARE(report.document()->toPlainText().trimmed(), printed);
    }

    void missingTemplate()
    {
        ReportEngine::Report report;
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(!ReportsHelper::loadReport(":/reports/NoSuch.xml", &report));
        const auto boxes = MessageBox::history();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().title, QString("Error"));
        QCOMPARE(boxes.first().icon, QMessageBox::Critical);
        QCOMPARE(boxes.first().text,
                 QString("Could not open report description file ':/reports/NoSuch.xml'."));
    }

    void brokenTemplate()
    {
        const QString path = writeTemplate("broken.xml", "<report>\n<text>open\n</report>\n");
        ReportEngine::Report report;
        ReportEngine::ErrorDetails details;
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(!ReportsHelper::loadReport(path, &report, &details));
        QVERIFY(details.hasError());
        QVERIFY(details.line() > 0);
        const auto boxes = MessageBox::history();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().title, QString("Error"));
        QCOMPARE(boxes.first().text,
                 QString("Could not parse report description file '%1':\n%2")
                     .arg(path, details.message()));

        // Without details the failure is still reported.
        MessageBox::reset();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(!ReportsHelper::loadReport(path, &report));
        QCOMPARE(MessageBox::history().size(), 1);
    }

    void checkoutHour()
    {
        QCOMPARE(ReportsHelper::getCheckoutHour(), QTime(12, 0, 0));
        server().setGlobal("CheckoutHour", "14:30:00");
        QCOMPARE(ReportsHelper::getCheckoutHour(), QTime(14, 30, 0));
        server().setGlobal("CheckoutHour", "2 pm");
        QVERIFY(!ReportsHelper::getCheckoutHour().isValid());
        const auto sent = server().requestsTo("GET", "globals/CheckoutHour");
        QCOMPARE(sent.last().header("Content-Type"), QByteArray("application/json"));
        server().setGlobal("CheckoutHour", "12:00:00");
    }

    void organizationInfo()
    {
        const auto info = ReportsHelper::getOrganizationInfo();
        const QJsonObject stored = server().global("OrganizationInfo").toObject();
        QCOMPARE(info.first, stored["name"].toString());
        QCOMPARE(info.second, stored["address"].toString());
    }
};

LOMI_TEST_CLASS(ReportRunTest)

#include "tst_reportrun.moc"
