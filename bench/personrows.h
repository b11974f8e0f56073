#pragma once

// A long list of person rows as the server sends the persons list: the data
// of the list benchmarks. Some names hold ё, so a search that widens е/ё has
// work to do.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

inline QJsonArray personRows(int count)
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
