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
// wrong password; 403 when the signed-in user lacks the read bit (GET) or the
// write bit (every other verb) on the permission node that guards the route
// (`Server::Access`); 413 for a body over `maxBodySize`; 400 for a body that
// is not a JSON object or an id in the path that is not an integer; 404 for
// an unknown path, collection, record or link; 405 for a verb the path does
// not take; 409 for deleting a record that another one still references (a
// person's stays, payments and receipts go with the person instead) and for
// returning a return or a receipt already returned; 422 for a reference to a
// record that does not exist. Every refusal is {"Ok": false, "message": ...}
// and changes nothing. A request's body is taken (parsed by its handler, kept
// in the request record) only once its sign-in holds, or for sign-in itself.
// Nested objects are always returned, "pretty=true" or not; a reference of
// none reads as null, except a payment's "payer", which is then left out.
//
// Adding a domain: write routes/<domain>.cpp with one function
// `addXRoutes(Server &, DataStore &)` that registers its collections,
// references and links on the DataStore, and on the Server its rules
// (`rules(collection)`: the permission node, derived keys, list filters, kept
// keys, checks and computed fields on write), write hooks (`afterWrite`) and
// routes of its own (`route`, each with who may take it); declare it in
// routes/domains.h and call it in the Server
// constructor. Its demo records go in data/demo/<domain>.json, its test in
// tests/standinserver/tst_<domain>.cpp. routes/collections.cpp serves every
// collection generically and holds no rule of one collection.

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

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
    // The request was served, and then the connection is lost before the
    // answer has gone whole.
    enum class Loss { None, Closed, Reset, CutOff };
    Loss loss = Loss::None;
    QByteArray location;  // sent as the Location header when not empty

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
    Delay,      // served normally, but only after `delayMs`
    // Served normally (a write is stored), and then the connection is lost
    // before the answer has gone whole, as when a proxy or the server
    // restarts or a link drops:
    Closed,     // closed with no answer
    Reset,      // reset with no answer
    CutOff,     // closed after the status, the headers and half the body
    // Not served: `status` (a 3xx) with `location` as the Location header,
    // as a server or a proxy answers that moved the path or the host.
    Redirect,
    // Served normally (a write is stored), and then `status` with `body`
    // goes in place of the answer, as a reverse proxy answers whose
    // connection to the server dropped (502) or whose wait ran out (504);
    // with `location` as the Location header, when given, as a server sends
    // a 303 once it has stored a write.
    Gateway
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
    // When this call comes, the next GET of this path fails too: a write's
    // answer and the list read after it lost together, as when the network
    // drops, or its sign-in gone with a restart of the server (401).
    QString nextReadFails = QString();
    // Where a Redirect sends the request: an absolute URL or a path.
    QByteArray location = QByteArray();
    // The status of the read that `nextReadFails` fails.
    int nextReadStatus = 500;
};

// What a domain adds to the generic handling of one of its collections
// (`Server::rules`). Every member is optional; several domains may add to the
// lists of one collection.
struct CollectionRules
{
    // The permission node that guards the collection's records wherever a
    // route serves them (`Server::Access::collection`). A collection without
    // one is served to no one.
    QString node;

    // A key the client reads, computed from the stored record at every read,
    // nested reads included; an undefined value leaves the key out. Never
    // stored: a body's value for it is dropped.
    using Derive = std::function<QJsonValue(const QJsonObject &stored)>;
    // Whether a stored record is listed for this request's query items
    // (the link sub-collections apply it to their targets too).
    using Filter = std::function<bool(const QJsonObject &stored, const Request &request)>;
    // Runs on POST and PUT after the generic checks, with the record about to
    // be stored (on PUT the kept keys already put back) and the stored one
    // (empty on POST). It may complete the record (computed fields, numbers
    // taken from the globals) or return a refusal, which is sent instead;
    // it must change nothing before it refuses.
    using Prepare = std::function<std::optional<Reply>(QJsonObject &record,
                                                       const QJsonObject &stored,
                                                       const Request &request)>;

    QMap<QString, Derive> derived;
    QList<Filter> filters;  // a record is listed when every filter keeps it
    QList<Prepare> prepare;  // in order; the first refusal stops the write
    // Keys a PUT keeps from the stored record when its body leaves them out.
    QStringList keptOnPut;
    // When not empty, a record nested in another carries only these keys and its "id".
    QStringList nestedKeys;
};

// A write that succeeded, as the hooks of `Server::afterWrite` see it during
// the call: a request other than GET answered with 2xx by a route that needs
// a sign-in.
struct Write
{
    const Request &request;
    const QStringList &parts;  // the path's segments
    int userId;                // the signed-in user
    const Reply &reply;
    // The record "<collection>/<id>" at the head of the path as it was
    // stored before the write (empty when there was none): after a DELETE
    // only it still says whose record went.
    const QJsonObject &previous;
};

class Server : public QAbstractHttpServer
{
    Q_OBJECT

public:
    // Handler of one route. `parts` are the path's segments without the
    // leading "/"; for "persons/7/accommodation" they are {"persons", "7", "accommodation"}.
    using Handler = std::function<Reply(const Request &request, const QStringList &parts)>;
    using WriteHook = std::function<void(const Write &write)>;

    // Who may take a route. A route that a node guards needs the signed-in
    // user's read bit (1) on it for GET and the write bit (2) for every other
    // verb; the user's "permissions" record holds the bits, and a user
    // without one holds none.
    class Access
    {
    public:
        // No sign-in: sign-in itself.
        static Access anyone();
        // Every signed-in user: what every window needs whatever the rights.
        static Access signedIn();
        // The bits of `node`.
        static Access node(const QString &node);
        // The node of a collection (`CollectionRules::node`), read at each
        // request; without a name, of the collection the path begins with,
        // and a path that names no collection reaches its handler (a 404).
        static Access collection(const QString &name = QString());

    private:
        friend class Server;
        enum class Kind { Anyone, SignedIn, Node, Collection };
        Access(Kind kind, const QString &name);
        Kind kind;
        QString name;
    };

    // The largest body taken (1 MiB): a write of the program is far smaller.
    static constexpr qsizetype maxBodySize = 1 << 20;

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
    // "userId"}}; an older account may have no "permissions". "globals" holds {"OrganizationInfo": {...}, "CheckoutHour":
    // "HH:mm:ss", "ReceiptNumber": int, "BillNumber": {"number", "lastChange"}}.
    // Every array member of the fixture is a collection; the usual ones exist
    // (empty) even when the fixture leaves them out. Loading replaces every
    // collection and the globals; sign-ins stay valid while their user exists.
    //
    // `path` is a fixture file or a directory of them, merged: arrays of one
    // collection are concatenated and "globals" merged by key. A record id
    // given twice in one collection, or a globals key given twice, is an
    // error that names both files, and nothing is loaded.
    bool loadFixture(const QString &path, QString *error = nullptr);
    void loadFixture(const QJsonObject &data);
    // The fixture at `path`, merged as loadFixture merges it, without loading it.
    bool readFixture(const QString &path, QJsonObject *data, QString *error = nullptr) const;
    static QString demoFixturePath();  // the demo data directory

    // Listens on 127.0.0.1; port 0 lets the OS choose. Returns the port, 0 on failure.
    quint16 start(quint16 port = 0);
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
    // Whether the request's signed-in user holds the bit its verb needs on `node`.
    bool allows(const Request &request, const QString &node) const;
    // Every permission node the client knows, each with both bits: the
    // "permissions" of a fixture's administrator.
    static QJsonObject allPermissions();
    // A new bearer token for this user, valid while the user exists.
    QString issueToken(int userId);

    // The server's clock: every date it computes or compares is read here.
    // A null value returns it to the system clock.
    QDateTime now() const;
    void setNow(const QDateTime &now);

    // What the domains register (see the comment at the top).
    CollectionRules &rules(const QString &collection);
    const CollectionRules &rules(const QString &collection) const;
    void afterWrite(WriteHook hook);

    // A route of its own, for a domain or a test. `pattern` is a path
    // without leading "/" whose "*" segments match any one segment, e.g.
    // "persons/*/accommodation". Routes added later win over earlier ones
    // and over the generic collections. The request reaches the handler
    // after the failure injection, the sign-in check and the check of
    // `access`. `method` "*" matches every method.
    void route(const QByteArray &method, const QString &pattern, const Access &access,
               Handler handler);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    struct Route;
    Reply dispatch(Request request, const QByteArray &body);
    Reply serve(const Route &chosen, const Request &request, const QStringList &parts, int userId);
    const Route *match(const QByteArray &method, const QStringList &parts, bool *otherMethod) const;
    // The 403 of a signed-in user whom `access` does not let through.
    std::optional<Reply> refusal(const Access &access, const Request &request,
                                 const QStringList &parts, int userId) const;
    // Whether the user holds the bit `method` needs on `node`.
    bool holds(int userId, const QString &node, const QByteArray &method) const;
    const Failure *takeFailure(const QByteArray &method, const QString &path);
    static Reply failureReply(const Failure &failure);

    struct Private;
    Private *d;
};

}  // namespace StandIn
