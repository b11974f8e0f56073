// Loading and searching a long list, each beside a baseline in the same binary:
//  - bytes -> ready JsonTableModel, against QJsonDocument::fromJson alone;
//  - ExtendedFilterProxyModel search, against a plain QSortFilterProxyModel
//    with a case-insensitive fixed-string filter over all columns.
// The ratios of the pairs are what matters, not the absolute times.

#include "benchmain.h"
#include "extendedfilterproxymodel.h"
#include "jsontablemodel.h"
#include "personrows.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSortFilterProxyModel>

#include <benchmark/benchmark.h>

namespace {

constexpr int rowCount = 100000;

const JsonTableModel::Headers personHeaders = {
    {"ID", "id"},           {"", "marker"},          {"ФИО", "fullname"},
    {"Дата рождения", "birthDate"}, {"Регион", "region"}, {"Поток", "stream.name"},
    {"Начало", "stream.startDate"}, {"Заезд", "in"},     {"Выезд", "out"},
    {"Номер", "room"},      {"Администратор", "admin"}, {"Комментарий", "comments"}};

const QByteArray &personBytes()
{
    static const QByteArray bytes =
        QJsonDocument(personRows(rowCount)).toJson(QJsonDocument::Compact);
    return bytes;
}

void BM_ParseOnly(benchmark::State &state)
{
    const QByteArray &bytes = personBytes();
    for (auto _ : state) {
        QJsonDocument document = QJsonDocument::fromJson(bytes);
        benchmark::DoNotOptimize(document);
    }
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond);

void BM_LoadModel(benchmark::State &state)
{
    const QByteArray &bytes = personBytes();
    for (auto _ : state) {
        JsonTableModel model;
        model.setHeaders(personHeaders);
        model.setJson(QJsonDocument::fromJson(bytes));
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_LoadModel)->Unit(benchmark::kMillisecond);

JsonTableModel &loadedModel()
{
    static JsonTableModel *model = [] {
        auto *m = new JsonTableModel;
        m->setHeaders(personHeaders);
        m->setJson(QJsonDocument::fromJson(personBytes()));
        return m;
    }();
    return *model;
}

const QString searchText = QStringLiteral("петров");

void BM_SearchPlainProxy(benchmark::State &state)
{
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&loadedModel());
    proxy.setFilterKeyColumn(-1);
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        proxy.setFilterFixedString(searchText);
        benchmark::DoNotOptimize(proxy.rowCount());
        proxy.setFilterFixedString(QString());
    }
}
BENCHMARK(BM_SearchPlainProxy)->Unit(benchmark::kMillisecond);

void BM_SearchExtendedProxy(benchmark::State &state)
{
    ExtendedFilterProxyModel proxy;
    proxy.setSourceModel(&loadedModel());
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        proxy.setFilterFixedString(searchText);
        benchmark::DoNotOptimize(proxy.rowCount());
        proxy.setFilterFixedString(QString());
    }
}
BENCHMARK(BM_SearchExtendedProxy)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
