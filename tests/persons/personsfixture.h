#pragma once

#include "clock.h"
#include "guitestbase.h"

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

// Persons for the list and the card. "Today" is 15.06.2026 on both sides.
// Listed in 2026: 1 (a stay in June, partly paid), 2 (a stay in January,
// paid), 3, 4 and 5 (no stays, registered in 2026); 6 only stayed in 2024.
// Names differ in case and in е/ё, and one holds brackets, for the search.
namespace PersonsTest {

inline QDateTime today()
{
    return QDateTime(QDate(2026, 6, 15), QTime(10, 0));
}

inline QJsonObject fixture()
{
    return QJsonDocument::fromJson(R"json({
        "users": [
            {"id": 1, "name": "Админ", "password": "admin", "position": "",
             "permissions": {"persons": 3, "organizations": 3, "positions": 3, "streams": 3,
                             "accommodation": 3, "payments": 3, "servicePayments": 3}},
            {"id": 2, "name": "Дежурный", "password": "duty", "position": "",
             "permissions": {"persons": 3}}
        ],
        "regions": [{"id": 1, "code": "69", "name": "Тверская область"}],
        "organizations": [
            {"id": 1, "code": "A-1", "name": "Альфа", "regionId": 1, "archived": false},
            {"id": 2, "code": "B-2", "name": "Бета", "regionId": 1, "archived": false},
            {"id": 3, "code": "A&B", "name": "Гамма", "regionId": 1, "archived": false}
        ],
        "positions": [{"id": 1, "name": "Инженер"}],
        "curriculums": [{"id": 1, "name": "Охрана труда", "value": 72, "paid": false, "cost": 0}],
        "streams": [{"id": 1, "name": "Поток 1", "startDate": "2026-06-01T00:00:00.000",
                     "endDate": "2026-06-30T00:00:00.000", "curriculumId": 1}],
        "rooms": [{"id": 1, "number": "101", "floor": 1, "size": 1}],
        "rates": [{"id": 1, "type": "Одноместный", "cost": 2500, "hourCost": 100, "size": 1}],
        "persons": [
            {"id": 1, "surname": "Иванов", "name": "Сергей", "lastname": "Петрович", "gender": 0,
             "birthDate": "1979-04-12T00:00:00.000", "phone": "+7 916 123-45-67",
             "address": "г. Тверь, ул. Лесная, 5", "comments": "VIP+", "billNum": 7,
             "externalId": 5001, "organizationId": 1, "positionId": 1, "streamId": 1, "adminId": 1,
             "sensitive": {"type": "Паспорт гражданина РФ", "series": "45 09", "number": "123456",
                           "date": "2004-05-20T00:00:00.000", "whom": "ОВД Хамовники"}},
            {"id": 2, "surname": "Петрова", "name": "Анна", "gender": 1, "organizationId": 2,
             "billNum": 0, "adminId": null},
            {"id": 3, "surname": "ЗЕЛЕНЫЙ", "name": "Иван", "created": "2026-02-01T10:00:00.000",
             "adminId": 2},
            {"id": 4, "surname": "елкин", "name": "петр", "created": "2026-03-01T10:00:00.000"},
            {"id": 5, "surname": "Скобкин", "name": "(Гость)", "created": "2026-04-01T10:00:00.000"},
            {"id": 6, "surname": "Старый", "name": "Пётр", "created": "2024-04-01T10:00:00.000"}
        ],
        "accommodation": [
            {"id": 1, "personId": 1, "roomId": 1, "rateId": 1, "inDate": "2026-06-10T12:00:00.000",
             "outDate": "2026-06-20T12:00:00.000", "days": 10, "hours": 0, "cost": 25000},
            {"id": 2, "personId": 2, "roomId": 1, "rateId": 1, "inDate": "2026-01-10T12:00:00.000",
             "outDate": "2026-01-12T12:00:00.000", "days": 2, "hours": 0, "cost": 5000},
            {"id": 3, "personId": 6, "roomId": 1, "rateId": 1, "inDate": "2024-01-10T12:00:00.000",
             "outDate": "2024-01-12T12:00:00.000", "days": 2, "hours": 0, "cost": 5000}
        ],
        "payments": [{"id": 1, "personId": 1, "summ": 10000}, {"id": 2, "personId": 2, "summ": 5000}],
        "person_info": [{"id": 1, "personId": 1, "message": "Долг"},
                        {"id": 2, "personId": 3, "message": "Проверьте документ"}],
        "globals": {"CheckoutHour": "12:00:00", "OrganizationInfo": {"name": "Центр"}}
    })json").object();
}

}  // namespace PersonsTest

// What the list and card tests share: the fixture above, loaded anew before
// each test, with "today" fixed on both sides.
class PersonsTestBase : public GuiTestBase
{
    Q_OBJECT

protected:
    void initTest() override { server().loadFixture(PersonsTest::fixture()); }

    template<class T = QWidget>
    static T *child(QWidget &parent, const char *name)
    {
        return parent.findChild<T *>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase()
    {
        Clock::setNow(PersonsTest::today());
        startServer(PersonsTest::fixture()).server().setNow(PersonsTest::today());
    }

    void cleanupTestCase() { Clock::setNow(QDateTime()); }
};
