#pragma once

#include <QJsonDocument>
#include <QJsonObject>

// Small data set shared by the list and editor tests: three districts (one
// written in lower case, for the search), two regions (one without a
// district) and users with every combination of the read and write bits.
namespace ViewsTest {

inline QJsonObject fixture()
{
    return QJsonDocument::fromJson(R"({
        "districts": [
            {"id": 1, "name": "Центральный"},
            {"id": 2, "name": "северо-западный"},
            {"id": 12, "name": "Южный"}
        ],
        "regions": [
            {"id": 3, "code": "77", "name": "Москва", "districtId": 1},
            {"id": 5, "code": "12", "name": "Марий Эл", "districtId": null}
        ],
        "positions": [
            {"id": 1, "name": "Инженер"}
        ],
        "users": [
            {"id": 1, "name": "Админ", "password": "admin", "position": "",
             "permissions": {"districts": 3, "regions": 3, "positions": 3}},
            {"id": 2, "name": "Читатель", "password": "reader", "position": "",
             "permissions": {"districts": 1, "regions": 1, "positions": 1}},
            {"id": 3, "name": "Писатель", "password": "writer", "position": "",
             "permissions": {"districts": 2, "regions": 2, "positions": 2}},
            {"id": 4, "name": "Никто", "password": "nobody", "position": "",
             "permissions": {"districts": 0, "regions": 0, "positions": 0}}
        ],
        "globals": {
            "CheckoutHour": "12:00:00",
            "OrganizationInfo": {"name": "Учебный центр «Заря»", "address": "г. Тверь"}
        }
    })").object();
}

}  // namespace ViewsTest
