#include "reporttesting.h"
#include "testregistry.h"

#include "cassreport.h"
#include "contractpaymentsreport.h"
#include "mainwindow.h"
#include "modalhandler.h"
#include "nightsreport.h"
#include "paideducationpaymentsreport.h"
#include "paymentsreport.h"
#include "personreport.h"
#include "roomsreport.h"
#include "selectoredit.h"
#include "summarycassreport.h"

#include <QAction>
#include <QComboBox>
#include <QRadioButton>

namespace {

using MakeReport = ExtendedReport *(*)();

template<class T>
ExtendedReport *make()
{
    return new T;
}

}  // namespace

Q_DECLARE_METATYPE(MakeReport)

// The eight reports' filters, and what each report prints when its reply
// is missing.
class ReportFiltersTest : public ReportTestBase
{
    Q_OBJECT

private slots:
    void defaults_data()
    {
        QTest::addColumn<MakeReport>("report");
        QTest::addColumn<QVariantMap>("values");

        const QVariantMap year{{"startDate", "01.01.2026"}, {"endDate", "31.12.2026"}};
        QTest::newRow("listeners") << &make<PersonReport>
                                   << QVariantMap{{"curriculumId", -1},
                                                  {"streamId", -1},
                                                  {"startDate", "01.01.2026"},
                                                  {"endDate", "31.12.2026"},
                                                  {"fact", false}};
        QTest::newRow("occupancy") << &make<RoomsReport>
                                   << QVariantMap{{"date", "2026-06-15T09:00:00.000"},
                                                  {"free", true},
                                                  {"occupied", true},
                                                  {"floor", -1}};
        QTest::newRow("payments") << &make<PaymentsReport>
                                  << QVariantMap{{"streamId", -1},      {"start", "01.01.2026"},
                                                 {"end", "31.12.2026"}, {"listeners", true},
                                                 {"guests", false},     {"debtOnly", false}};
        QTest::newRow("contract") << &make<ContractPaymentsReport>
                                  << QVariantMap{{"startDate", "01.01.2026"},
                                                 {"endDate", "31.12.2026"},
                                                 {"payerId", -1}};
        QTest::newRow("paid education")
            << &make<PaidEducationPaymentsReport>
            << QVariantMap{
                   {"startDate", "15.06.2026"}, {"endDate", "31.12.2026"}, {"curriculumId", -1}};
        QTest::newRow("cash") << &make<CassReport> << QVariantMap{{"date", "15.06.2026"}};
        QTest::newRow("cash summary") << &make<SummaryCassReport> << year;
        QTest::newRow("nights") << &make<NightsReport> << year;
    }

    void defaults()
    {
        QFETCH(MakeReport, report);
        QFETCH(QVariantMap, values);

        std::unique_ptr<ExtendedReport> made(report());
        ReportFilterDialog *dialog = made->filterDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Фильтр"));
        dialog->reset();
        QCOMPARE(dialog->getValues(), values);
    }

    void menuEntriesRunTheirReports()
    {
        MainWindow window;
        const QList<QPair<const char *, const char *>> entries{
            {"personReportAction", "PersonReportFilterDialog"},
            {"roomsReportAction", "RoomsReportFilterDialog"},
            {"paymentsReportAction", "PaymentsReportFilterDialog"},
            {"contractPaymentsReportAction", "ContractPaymentsReportFilterDialog"},
            {"paidEducationPaymentsReportAction", "PaidEducationPaymentsReportFilterDialog"},
            {"cassReportAction", "CassReportFilterDialog"},
            {"svodCassReportAction", "SummaryCassReportFilterDialog"},
            {"nightsReportAction", "NightsReportFilterDialog"}};
        for (const auto &entry : entries) {
            QString shown;
            ModalHandler::enqueue(entry.second, [&shown](QDialog *dialog) {
                shown = dialog->metaObject()->className();
                dialog->reject();
                return true;
            });
            window.findChild<QAction *>(entry.first)->trigger();
            QCOMPARE(shown, QString(entry.second));
        }
    }

    void someChoicesOutliveAReset()
    {
        PaymentsReport payments;
        ReportFilterDialog *filter = payments.filterDialog();
        filter->findChild<QRadioButton *>("all")->setChecked(true);
        filter->findChild<SelectorEdit *>("streamSelectorWidget")->setSelectedId(1);
        filter->reset();
        QVariantMap values = filter->getValues();
        QCOMPARE(values.value("listeners"), QVariant(true));
        QCOMPARE(values.value("guests"), QVariant(true));
        QCOMPARE(values.value("streamId"), QVariant(-1));

        PaidEducationPaymentsReport education;
        filter = education.filterDialog();
        filter->findChild<SelectorEdit *>("curriculumSelectorEdit")->setSelectedId(2);
        filter->reset();
        QCOMPARE(filter->getValues().value("curriculumId"), QVariant(2));
    }

    void occupancyFloorsAndTypes()
    {
        server().setCollection(
            "rooms",
            QJsonArray{
                QJsonObject{{"id", 1}, {"number", "201"}, {"floor", 2}, {"description", "Люкс"}},
                QJsonObject{
                    {"id", 2}, {"number", "202"}, {"floor", 2}, {"description", "Двухместный"}},
                QJsonObject{
                    {"id", 3}, {"number", "101"}, {"floor", 1}, {"description", "Одноместный"}},
                QJsonObject{{"id", 4}, {"number", "203"}, {"floor", 2}, {"description", "Люкс"}}});
        RoomsReport report;
        ReportFilterDialog *filter = report.filterDialog();
        filter->reset();
        auto *floors = filter->findChild<QComboBox *>("floorComboBox");
        auto *types = filter->findChild<QComboBox *>("typeComboBox");
        auto items = [](QComboBox *box) {
            QStringList texts;
            for (int i = 0; i < box->count(); ++i)
                texts << box->itemText(i);
            return texts;
        };
        QCOMPARE(items(floors), QStringList({"Не выбран", "2", "1"}));
        QCOMPARE(items(types), QStringList{"Не выбран"});

        floors->setCurrentIndex(1);
        QCOMPARE(items(types), QStringList({"Не выбран", "Люкс", "Двухместный", "Люкс"}));
        QCOMPARE(filter->getValues().value("floor"), QVariant(2));
        QVERIFY(!filter->getValues().contains("type"));
        types->setCurrentIndex(2);
        QCOMPARE(filter->getValues().value("type"), QVariant("Двухместный"));

        const struct
        {
            const char *radio;
            bool free;
            bool occupied;
        } flags[] = {{"free", true, false}, {"occupied", false, true}, {"all", true, true}};
        for (const auto &flag : flags) {
            filter->findChild<QRadioButton *>(flag.radio)->setChecked(true);
            QCOMPARE(filter->getValues().value("free"), QVariant(flag.free));
            QCOMPARE(filter->getValues().value("occupied"), QVariant(flag.occupied));
        }
    }

    void failedReplies_data()
    {
        QTest::addColumn<MakeReport>("report");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("paragraphs");
        QTest::addColumn<QStringList>("tables");

        const QString signature
            = "Кассир\t\t\t___________________________________ /___________________ /";
        const QString noTypes = "Всего по услуге: | Способ оплаты: |  / Оплачено: 0.00 руб. |  | ";
        const QString services
            = "Наименование услуги | Ед. изм. | Кол-во | Оплачено / ИТОГО | 0.00";
        QTest::newRow("listeners")
            << &make<PersonReport>
            << "reports/persons" << QStringList{"СПИСОК СЛУШАТЕЛЕЙ"} << QStringList();
        QTest::newRow("occupancy")
            << &make<RoomsReport>
            << "reports/rooms" << QStringList{"КАРТА ЗАГРУЗКИ НОМЕРОВ на "} << QStringList();
        QTest::newRow("payments") << &make<PaymentsReport>
                                  << "reports/payments" << QStringList{"РАСЧЁТНАЯ ВЕДОМОСТЬ"}
                                  << QStringList();
        QTest::newRow("contract")
            << &make<ContractPaymentsReport>
            << "reports/payments/contract" << QStringList({"РАСЧЕТНАЯ ВЕДОМОСТЬ", "(контракт)"})
            << QStringList{"№ п/п | Счёт | Ф И О | Номер | Период проживания | Тариф | Начислено"
                           " | Оплачено | Остаток | Дата оплаты | Способ оплаты"
                           " / ИТОГО: | 0.00 | 0.00 | 0.00 | "};
        QTest::newRow("paid education")
            << &make<PaidEducationPaymentsReport>
            << "reports/payments/paid_education"
            << QStringList(
                   {"РАСЧЕТНАЯ ВЕДОМОСТЬ", "(образовательные услуги)", "Всего по ведомости:"})
            << QStringList({"№ п/п | Кв-ция | Ф И О | Поток | Образовательная услуга"
                            " | Период оказания услуги | Оплачено | Дата оплаты | Кассир",
                            "Оплачено: 0.00 руб. | <table>"});
        QTest::newRow("cash")
            << &make<CassReport>
            << "reports/cass"
            << QStringList({"КАССОВЫЙ ОТЧЕТ на ", "Услуги по проживанию", "Дополнительные услуги",
                            "Образовательные услуги", signature})
            << QStringList({"№ п/п | Счет | ФИО | Поток | Оплачено | Способ оплаты | Кассир"
                            " / ИТОГО: | 0.00 | ",
                            noTypes, services, noTypes, services, noTypes});
        QTest::newRow("cash summary")
            << &make<SummaryCassReport>
            << "reports/cass/summary"
            << QStringList({"КАССОВЫЙ ОТЧЁТ (СВОД)", "( - )", "Услуги по проживанию",
                            "Дополнительные услуги", "Образовательные услуги", signature})
            << QStringList({"Категория проживающих | Оплачено / Слушатели | 0.00 / "
                            "Гости | 0.00 / ИТОГО: | 0.00",
                            noTypes, services, noTypes, services, noTypes});
        QTest::newRow("nights")
            << &make<NightsReport>
            << "reports/nights"
            << QStringList({"Сведения о количестве ночевок, численности размещенных лиц", "( - )",
                            "Число ночевок с разбивкой по этажам"})
            << QStringList({"Наименование показателя | За отчетный период / Число ночевок, единиц"
                            " | 0 / Численность размещенных лиц, всего | 0 / Численность "
                            "размещенных лиц, дата заезда которых приходится на отчетный месяц"
                            " (за исключением лиц, размещенных в предыдущие месяцы), всего | 0",
                            "Этаж | Количество ночевок, единиц / 1 | 0 / 2 | 0 / 3 | 0 / 4 | 0"
                            " / 5 | 0 / 6 | 0 / 7 | 0 / 8 | 0 / 9 | 0"});
    }

    // The wrapper's box, and then the layout the report promises for an
    // empty reply; the busy indicator goes (checked after every test).
    void failedReplies()
    {
        QFETCH(MakeReport, report);
        QFETCH(QString, path);
        QFETCH(QStringList, paragraphs);
        QFETCH(QStringList, tables);

        fail(path);
        std::unique_ptr<ExtendedReport> made(report());
        build(*made);

        QCOMPARE(boxTexts("Request failed").size(), 1);
        QCOMPARE(ReportTestBase::paragraphs(document->document()), paragraphs);
        QStringList built;
        for (QTextTable *table : ReportTestBase::tables())
            built << rows(table).join(" / ");
        QCOMPARE(built, tables);
    }
};

LOMI_TEST_CLASS(ReportFiltersTest)

#include "tst_reportfilters.moc"
