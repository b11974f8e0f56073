#pragma once

#include "guitestbase.h"
#include "requesttablemodel.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

// The data set of the stay, payment and receipt tests (data/fixture.json):
// person 700 in a stream ending on 20.06.2026, rooms with rates that start
// and end in June, cash, awaiting-payment, return and two contract pay
// types, and extra services of every period rule. Tests run on 10.06.2026.
namespace StaysTest {

inline QJsonObject fixture()
{
    return GuiTestBase::fixtureFile(QStringLiteral(LOMI_TEST_DATA_DIR "/fixture.json"));
}

inline QDateTime testDay(const QTime &time = QTime(9, 0))
{
    return QDateTime(QDate(2026, 6, 10), time);
}

// A list of the person card's with one row, as the server sent it.
inline std::unique_ptr<RequestTableModel> cardRow(const JsonTableModel::Headers &columns,
                                                  const QJsonObject &row)
{
    auto model = std::make_unique<RequestTableModel>();
    model->setHeaders(columns);
    model->setJson(QJsonDocument(QJsonArray{row}));
    return model;
}

// The columns of the card's lists that the dialogs read.
inline const JsonTableModel::Headers accommodationColumns = {
    {"ID", "id"}, {"Номер", "room.number"}, {"Мест", "rate.size"}, {"Заезд", "inDate"},
    {"Выезд", "outDate"}};
inline const JsonTableModel::Headers paymentColumns = {
    {"ID", "id"}, {"Сумма оплаты", "summ"}, {"Дата оплаты", "payDate"}};
inline const JsonTableModel::Headers receiptColumns = {
    {"ID", "id"}, {"№ кв-ции", "number"}, {"Начало", "startDate"}, {"Конец", "endDate"},
    {"Программа", "curriculum.name"}, {"Цена", "curriculum.cost"}, {"Дата оплаты", "payDate"}};

}  // namespace StaysTest
