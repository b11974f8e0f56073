// The persons view's search over a long list (the text taken literally, е and
// ё standing for each other, case ignored, all twelve columns), beside the
// plain fixed-string search of QSortFilterProxyModel over the same model.
// The ratio of the pair is what matters, not the absolute times.

#include "benchmain.h"
#include "extendedfilterproxymodel.h"
#include "jsontablemodel.h"
#include "personrows.h"
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
        const QJsonArray rows = personRows(rowCount);
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
