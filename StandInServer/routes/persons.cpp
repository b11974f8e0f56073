// Persons, and the lists of a person's own records that the card reads.

#include "collections.h"
#include "domains.h"

namespace StandIn {

void addPersonRoutes(Server &server, DataStore &store)
{
    store.addCollection("persons");

    store.addReference({"persons", "organizationId", "organization", "organizations"});
    store.addReference({"persons", "positionId", "position", "positions"});
    store.addReference({"persons", "streamId", "stream", "streams"});
    store.addReference({"persons", "adminId", "admin", "users"});

    CollectionRules &persons = server.rules("persons");
    // The card writes the name in three parts and reads it back whole.
    persons.derived.insert("fullname", [](const QJsonObject &person) -> QJsonValue {
        if (!person.contains("surname") && !person.contains("name") && !person.contains("lastname"))
            return QJsonValue::Undefined;
        return QStringList{person.value("surname").toString(), person.value("name").toString(),
                           person.value("lastname").toString()}
            .join(' ')
            .simplified();
    });
    // A person's admin and bill number are not part of the card's body.
    persons.keptOnPut = QStringList{"adminId", "billNum"};

    // The card's four lists: the person's records in stored order, as the
    // client reads them.
    for (const char *sub : {"accommodation", "payments", "receipts", "paid_education_receipts"}) {
        const QString collection = QString::fromLatin1(sub);
        server.route("GET", "persons/*/" + collection,
                     [&server, &store, collection](const Request &, const QStringList &parts) {
                         int personId = 0;
                         if (!parseId(parts.at(1), &personId))
                             return Reply::error(400, QStringLiteral("Идентификатор не число: %1")
                                                          .arg(parts.at(1)));
                         if (store.find("persons", personId).isEmpty())
                             return Reply::error(404, QStringLiteral("Запись persons/%1 не найдена")
                                                          .arg(personId));
                         QJsonArray rows;
                         for (const QJsonValue &row : store.rows(collection)) {
                             if (row.toObject().value("personId").toInt() == personId)
                                 rows.append(clientView(server, store, collection, row.toObject()));
                         }
                         return Reply::json(rows);
                     });
    }
}

}  // namespace StandIn
