// The persons view's search over a long list (the text taken literally, е and
// ё standing for each other, case ignored, all twelve columns), beside the
// plain fixed-string search of QSortFilterProxyModel over the same model.
// The ratio of the pair is what matters, not the absolute times.

#include "benchmain.h"
#include "extendedfilterproxymodel.h"
#include "jsontablemodel.h"
#include "personsviewwidget.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSortFilterProxyModel>

#include <benchmark/benchmark.h>

namespace {

constexpr int rowCount = 100000;

// The columns of the persons view.
const JsonTableModel::Headers personHeaders = {
    {"ID", "id"},          {" ", "marker"},       {"ФИО", "fullname"},    {"Дата рождения", "birthDate"},
    {"Регион", "region"},  {"Поток", "stream"},   {"Заезд", "in"},        {"Выезд", "out"},
    {"Комната", "room"},   {"Администратор", "admin"}, {"Внешний ID", "externalId"},
    {"Заметки", "comments"}};

JsonTableModel &personsModel()
{
    static JsonTableModel *model = [] {
        const char *surnames[] = {"Иванов", "Петров", "Сидоров", "Зелёный", "Смирнов"};
        const char *names[] = {"Иван", "Пётр", "Сергей", "Алексей", "Семён"};
        QJsonArray rows;
        for (int i = 0; i < rowCount; ++i) {
            rows.append(QJsonObject{
                {"id", i},
                {"marker", QString(QStringLiteral("VDBE").at(i % 4))},
                {"fullname", QStringLiteral("%1 %2 %3")
                                 .arg(QString::fromUtf8(surnames[i % 5]),
                                      QString::fromUtf8(names[(i / 5) % 5]),
                                      QString::fromUtf8(names[(i / 25) % 5]) + "ович")},
                {"birthDate", "1980-05-17T00:00:00.000"},
                {"region", QStringLiteral("Регион %1").arg(i % 85)},
                {"stream", QJsonObject{{"name", QStringLiteral("Поток %1").arg(i % 40)},
                                       {"startDate", "2024-03-01T00:00:00.000"},
                                       {"endDate", "2024-03-15T00:00:00.000"}}},
                {"in", "2024-03-01T14:00:00.000"},
                {"out", "2024-03-15T12:00:00.000"},
                {"room", QString::number(100 + i % 300)},
                {"admin", "Администратор"},
                {"externalId", i * 7},
                {"comments", i % 17 == 0 ? "оплата по договору" : ""}});
        }
        auto *m = new JsonTableModel;
        m->setHeaders(personHeaders);
        m->setJson(QJsonDocument(rows));
        return m;
    }();
    return *model;
}

// An е in it, so the view's search widens it.
const QString searchText = QStringLiteral("петров");

void BM_FixedStringSearch(benchmark::State &state)
{
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&personsModel());
    proxy.setFilterKeyColumn(-1);
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        proxy.setFilterFixedString(searchText);
        benchmark::DoNotOptimize(proxy.rowCount());
        proxy.setFilterFixedString(QString());
    }
}
BENCHMARK(BM_FixedStringSearch)->Unit(benchmark::kMillisecond);

void BM_PersonsViewSearch(benchmark::State &state)
{
    ExtendedFilterProxyModel proxy;
    proxy.setSourceModel(&personsModel());
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        proxy.setFilterRegularExpression(PersonsViewWidget::searchExpression(searchText));
        benchmark::DoNotOptimize(proxy.rowCount());
        proxy.setFilterRegularExpression(PersonsViewWidget::searchExpression(QString()));
    }
}
BENCHMARK(BM_PersonsViewSearch)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
