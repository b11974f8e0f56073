// Loading and searching a long list, each beside a baseline in the same binary:
//  - bytes -> ready JsonTableModel, against QJsonDocument::fromJson alone;
//  - ExtendedFilterProxyModel search, against a plain QSortFilterProxyModel
//    with a case-insensitive fixed-string filter over all columns;
//  - the persons view's search over its own columns (the text taken
//    literally, е and ё standing for each other, case ignored), against the
//    same plain search over the same model.
// The ratios of the pairs are what matters, not the absolute times.

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

// A long list of person rows as the server sends the persons list. Some
// names hold ё, so a search that widens е/ё has work to do.
QJsonArray personRows(int count)
{
    const char *surnames[] = {"Иванов", "Петров", "Сидоров", "Зелёный", "Смирнов"};
    const char *names[] = {"Иван", "Пётр", "Сергей", "Алексей", "Семён"};
    QJsonArray rows;
    for (int i = 0; i < count; ++i) {
        rows.append(QJsonObject{
            {"id", i},
            {"marker", QString(QStringLiteral("VDBE").at(i % 4))},
            {"fullname", QStringLiteral("%1 %2 %3")
                             .arg(QString::fromUtf8(surnames[i % 5]),
                                  QString::fromUtf8(names[(i / 5) % 5]),
                                  QString::fromUtf8(names[(i / 25) % 5]) + "ович")},
            {"birthDate", "1980-05-17T00:00:00.000"},
            {"region", QStringLiteral("Регион %1").arg(i % 85)},
            {"stream", QJsonObject{{"id", i % 40},
                                   {"name", QStringLiteral("Поток %1").arg(i % 40)},
                                   {"startDate", "2024-03-01T00:00:00.000"},
                                   {"endDate", "2024-03-15T00:00:00.000"}}},
            {"in", "2024-03-01T14:00:00.000"},
            {"out", "2024-03-15T12:00:00.000"},
            {"room", QString::number(100 + i % 300)},
            {"admin", "Администратор"},
            {"externalId", i * 7},
            {"comments", i % 17 == 0 ? "оплата по договору" : ""}});
    }
    return rows;
}

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

// The columns of the persons view.
const JsonTableModel::Headers personsViewHeaders = {
    {"ID", "id"},          {" ", "marker"},       {"ФИО", "fullname"},    {"Дата рождения", "birthDate"},
    {"Регион", "region"},  {"Поток", "stream"},   {"Заезд", "in"},        {"Выезд", "out"},
    {"Комната", "room"},   {"Администратор", "admin"}, {"Внешний ID", "externalId"},
    {"Заметки", "comments"}};

JsonTableModel *modelOf(const JsonTableModel::Headers &headers)
{
    auto *model = new JsonTableModel;
    model->setHeaders(headers);
    model->setJson(QJsonDocument::fromJson(personBytes()));
    return model;
}

JsonTableModel &loadedModel()
{
    static JsonTableModel *model = modelOf(personHeaders);
    return *model;
}

JsonTableModel &personsViewModel()
{
    static JsonTableModel *model = modelOf(personsViewHeaders);
    return *model;
}

// An е in it, so the persons view's search widens it.
const QString searchText = QStringLiteral("петров");

void plainSearch(benchmark::State &state, JsonTableModel &model)
{
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.setFilterKeyColumn(-1);
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        proxy.setFilterFixedString(searchText);
        benchmark::DoNotOptimize(proxy.rowCount());
        proxy.setFilterFixedString(QString());
    }
}

void BM_SearchPlainProxy(benchmark::State &state)
{
    plainSearch(state, loadedModel());
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

void BM_FixedStringSearch(benchmark::State &state)
{
    plainSearch(state, personsViewModel());
}
BENCHMARK(BM_FixedStringSearch)->Unit(benchmark::kMillisecond);

void BM_PersonsViewSearch(benchmark::State &state)
{
    ExtendedFilterProxyModel proxy;
    proxy.setSourceModel(&personsViewModel());
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
