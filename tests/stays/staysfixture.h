#pragma once

#include "clock.h"
#include "guitestbase.h"
#include "requesttablemodel.h"
#include "selectoredit.h"

#include <QComboBox>
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

// What the stays tests share: the data set signed in to as the
// administrator, and the test day on both sides, at 09:00 unless a test
// sets another time.
class StaysTestBase : public GuiTestBase
{
    Q_OBJECT

protected:
    void initTest() override { setTime(QTime(9, 0)); }

    void setTime(const QTime &time)
    {
        Clock::setNow(StaysTest::testDay(time));
        server().setNow(StaysTest::testDay(time));
    }

    template<class T = QWidget>
    static T *child(QWidget *parent, const char *name)
    {
        return parent->findChild<T *>(QString::fromLatin1(name));
    }

    // Sets a selector field of a dialog and waits until it shows the name.
    void choose(QWidget *dialog, const char *field, const QString &collection, int id)
    {
        auto *edit = child<SelectorEdit>(dialog, field);
        edit->setSelectedId(id);
        QTRY_COMPARE(edit->getDisplayValue(), server().record(collection, id).value("name").toString());
    }

    static QStringList itemTexts(const QComboBox *box)
    {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }

protected slots:
    void initTestCase() { QVERIFY(startServer(StaysTest::fixture()).signIn("admin")); }
    void cleanupTestCase() { Clock::setNow({}); }
};
