#pragma once

// A stand-in for the accommodation office's HTTP/JSON server.
//
// It speaks the same paths, verbs and keys over real HTTP on loopback, keeps
// its records in memory (loaded from a JSON fixture), computes what the real
// server computes for the client, records every request and can be told to
// fail. Tests run it in-process: the client's nested event loops serve its
// sockets on the same thread. The standin-server executable runs it alone.
//
// Answers: 200 (201 for a created record, with the record and its "id");
// 401 without WWW-Authenticate for a missing or unknown bearer token or a
// wrong password; 400 for a body that is not a JSON object or an id in the
// path that is not an integer; 404 for an unknown path, collection, record or
// link; 405 for a verb the path does not take; 409 for deleting a record that
// another one still references (a person's stays, payments and receipts go
// with the person instead); 422 for a reference to a record that does not
// exist. Every refusal is {"Ok": false, "message": ...} and changes nothing.
// Nested objects are always returned, "pretty=true" or not; a reference of
// none reads as null, except a payment's "payer", which is then left out.

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

namespace StandIn {

// One request as it arrived on the wire.
struct Request
{
    QByteArray method;                             // "GET", "POST", "PUT", "DELETE"
    QString path;                                  // decoded path, always with a leading "/"
    QString query;                                 // raw query text without "?", as sent (percent escapes kept)
    QList<QPair<QByteArray, QByteArray>> headers;  // in arrival order, names as sent (values trimmed)
    QByteArray body;

    // Case-insensitive header lookup; empty when absent.
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
    // Value of a query item, parsed leniently (the client does not encode values).
    QString queryValue(const QString &key) const;
    bool hasQueryItem(const QString &key) const;
    // The body parsed as JSON (null document when it is not JSON).
    QJsonDocument json() const;
};

// What a handler answers.
struct Reply
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json";
    bool noReply = false;  // keep the connection open and never answer
    int delayMs = 0;       // answer only after this many milliseconds

    static Reply json(const QJsonValue &value, int status = 200);
    static Reply error(int status, const QString &message);  // {"Ok": false, "message": ...}
    static Reply empty(int status = 200);                    // zero-byte body
};

enum class FailureKind {
    Status,     // the given status with the given body
    NotJson,    // 200 with a body that is not JSON
    OkFalse,    // 200 with {"Ok": false, "message": ...}
    EmptyBody,  // 200 with a zero-byte body
    NoReply,    // the reply never comes
    Delay       // served normally, but only after `delayMs`
};

struct Failure
{
    FailureKind kind = FailureKind::Status;
    int status = 500;
    QByteArray body = "{\"Ok\": false, \"message\": \"Injected failure\"}";
    // 0: every matching call fails. n > 0: only the n-th matching call counted
    // from the injection fails; the others are served normally.
    int onlyCall = 0;
    // The answer (of any kind but NoReply) leaves after this many milliseconds;
    // other requests are served meanwhile.
    int delayMs = 0;
};

class Server : public QAbstractHttpServer
{
    Q_OBJECT

public:
    // Handler of one route. `parts` are the path's segments without the
    // leading "/"; for "persons/7/accommodation" they are {"persons", "7", "accommodation"}.
    using Handler = std::function<Reply(const Request &request, const QStringList &parts)>;

    explicit Server(QObject *parent = nullptr);
    ~Server() override;

    // Data. A fixture is a JSON object: one array per collection ("districts",
    // "regions", ...), "users" with their passwords and permissions, and
    // "globals" with one member per globals document.
    //
    // Records are stored as the client writes them: references are integer
    // fields named after the record with "Id" appended ("districtId",
    // "payTypeId"; -1, 0, null or absent mean none) and every record has an
    // integer "id" (one is assigned when missing). Links that have their own
    // sub-collection are id arrays: rooms[].rateIds (rates) and
    // extra_services[].propertyIds (properties). A user is {"id", "name",
    // "password", "position", "rv", "rv0", "permissions": {node: bits, "id",
    // "userId"}}. "globals" holds {"OrganizationInfo": {...}, "CheckoutHour":
    // "HH:mm:ss", "ReceiptNumber": int, "BillNumber": {"number", "lastChange"}}.
    // Every array member of the fixture is a collection; the usual ones exist
    // (empty) even when the fixture leaves them out. Loading replaces every
    // collection and the globals; sign-ins stay valid while their user exists.
    bool loadFixture(const QString &path, QString *error = nullptr);
    void loadFixture(const QJsonObject &data);
    static QString demoFixturePath();

    // Listens on 127.0.0.1; port 0 lets the OS choose. Returns the port, 0 on failure.
    quint16 start(quint16 port = 0);
    quint16 port() const;
    QString rootUrl() const;  // "http://127.0.0.1:<port>/"

    // The record of every request, in arrival order.
    QList<Request> requests() const;
    // Requests with this method (or "*") whose path (without query) equals `path`;
    // `path` may be given with or without its leading "/".
    QList<Request> requestsTo(const QByteArray &method, const QString &path) const;
    void clearRequests();

    // Failure injection per method ("*" for any) and path (without query,
    // with or without leading "/"). Later injections for the same key replace earlier ones.
    void injectFailure(const QByteArray &method, const QString &path, const Failure &failure);
    void clearFailures();

    // Direct access to the stored data, for tests.
    QJsonArray collection(const QString &name) const;   // stored form (reference ids, no nesting)
    QJsonObject record(const QString &collection, int id) const;
    void setCollection(const QString &name, const QJsonArray &rows);
    QJsonValue global(const QString &name) const;
    void setGlobal(const QString &name, const QJsonValue &value);
    // The token the server issued at the last successful sign-in (empty before).
    QString lastToken() const;

    // More direct access, for tests and for the handlers that later endpoints add.
    QStringList collectionNames() const;
    // Adds a record in stored form; its "id" is kept when positive and free,
    // otherwise the next free id is assigned. Returns the id.
    int addRecord(const QString &collection, const QJsonObject &record);
    // Replaces the stored record with the same "id" (adds it when absent).
    void setRecord(const QString &collection, const QJsonObject &record);
    bool removeRecord(const QString &collection, int id);
    // The record as the client reads it (nested references, linked lists); empty when absent.
    QJsonObject expandedRecord(const QString &collection, int id) const;
    // The signed-in user whose bearer token the request carries; -1 when none.
    int userIdOf(const Request &request) const;

    // Extension point for endpoints that later windows need. `pattern` is a
    // path without leading "/" whose "*" segments match any one segment,
    // e.g. "persons/*/accommodation". Routes added later win over earlier
    // ones and over the generic collections. Every route but POST "login"
    // is served to signed-in users only; the request reaches the handler
    // after the failure injection and the sign-in check. `method` "*" matches
    // every method.
    void route(const QByteArray &method, const QString &pattern, Handler handler);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    Reply dispatch(const Request &request);
    Reply serve(const Request &request, const QStringList &parts, const QString &path);
    const Failure *takeFailure(const QByteArray &method, const QString &path);
    static Reply failureReply(const Failure &failure);

    struct Private;
    Private *d;
};

}  // namespace StandIn
