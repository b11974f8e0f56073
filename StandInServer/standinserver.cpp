#include "standinserver.h"

#include "datastore.h"
#include "routes/collections.h"
#include "routes/domains.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>
#include <QUrl>
#include <QUuid>

#include <algorithm>
#include <exception>
#include <map>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

namespace StandIn {

// ---- Request and Reply ------------------------------------------------------

namespace {

// The value of the first item of the raw query named `key`. The client does
// not encode its values, so a value is everything after the first "=", with
// only percent escapes decoded ("+" stays a plus sign).
std::optional<QString> queryItem(const QString &query, const QString &key)
{
    for (const QString &item : query.split('&', Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf('=');
        if (QUrl::fromPercentEncoding((eq < 0 ? item : item.left(eq)).toUtf8()) == key)
            return QUrl::fromPercentEncoding(eq < 0 ? QByteArray() : item.mid(eq + 1).toUtf8());
    }
    return std::nullopt;
}

// "/districts/", "districts" and "/districts" all name the same path.
QStringList pathParts(const QString &path)
{
    return path.split('/', Qt::SkipEmptyParts);
}

QString normalizedPath(const QString &path)
{
    return pathParts(path).join('/');
}

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Head: return "HEAD";
    case QHttpServerRequest::Method::Options: return "OPTIONS";
    case QHttpServerRequest::Method::Patch: return "PATCH";
    case QHttpServerRequest::Method::Connect: return "CONNECT";
    case QHttpServerRequest::Method::Trace: return "TRACE";
    default: return "UNKNOWN";
    }
}

// The answer as it goes on the wire, for the answers written by hand.
QByteArray rawAnswer(int status, const Reply &reply, const QByteArray &reason)
{
    QByteArray raw = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    if (!reply.contentType.isEmpty())
        raw += "Content-Type: " + reply.contentType + "\r\n";
    if (!reply.location.isEmpty())
        raw += "Location: " + reply.location + "\r\n";
    raw += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n\r\n";
    return raw + reply.body;
}

// Loses the connection of a request that was served, as its `loss` says.
void loseConnection(QTcpSocket *socket, const QByteArray &answer, const Reply &reply)
{
    switch (reply.loss) {
    case Reply::Loss::CutOff:
        // Half the body; without one, the headers short of their last byte.
        socket->write(answer.left(answer.size() - std::max<qsizetype>(1, (reply.body.size() + 1) / 2)));
        socket->disconnectFromHost();
        break;
    case Reply::Loss::Reset: {
#ifdef Q_OS_UNIX
        // A zero linger makes the close a reset.
        const linger abortive{1, 0};
        ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive,
                     sizeof abortive);
#endif
        socket->abort();
        break;
    }
    case Reply::Loss::Closed:
    case Reply::Loss::None:
        socket->disconnectFromHost();
        break;
    }
}

void respond(QHttpServerResponder responder, int status, const Reply &reply)
{
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(status));
    if (!reply.contentType.isEmpty())
        responder.writeHeader("Content-Type", reply.contentType);
    if (!reply.location.isEmpty())
        responder.writeHeader("Location", reply.location);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    responder.writeBody(reply.body);
}

}  // namespace

QByteArray Request::header(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return {};
}

bool Request::hasHeader(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString Request::queryValue(const QString &key) const
{
    return queryItem(query, key).value_or(QString());
}

bool Request::hasQueryItem(const QString &key) const
{
    return queryItem(query, key).has_value();
}

QJsonDocument Request::json() const
{
    return QJsonDocument::fromJson(body);
}

Reply Reply::json(const QJsonValue &value, int status)
{
    Reply reply;
    reply.status = status;
    if (value.isArray())
        reply.body = QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    else if (value.isObject())
        reply.body = QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    else  // a bare value: wrap and unwrap, since QJsonDocument holds only containers
        reply.body = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).mid(1).chopped(1);
    return reply;
}

Reply Reply::error(int status, const QString &message)
{
    return json(QJsonObject{{"Ok", false}, {"message", message}}, status);
}

Reply Reply::empty(int status)
{
    Reply reply;
    reply.status = status;
    return reply;
}

// ---- Server -----------------------------------------------------------------

Server::Access::Access(Kind kind, const QString &name)
    : kind(kind)
    , name(name)
{
}

Server::Access Server::Access::anyone()
{
    return Access(Kind::Anyone, QString());
}

Server::Access Server::Access::signedIn()
{
    return Access(Kind::SignedIn, QString());
}

Server::Access Server::Access::node(const QString &node)
{
    return Access(Kind::Node, node);
}

Server::Access Server::Access::collection(const QString &name)
{
    return Access(Kind::Collection, name);
}

struct Server::Route
{
    QByteArray method;
    QStringList pattern;
    Access access;
    Handler handler;
};

struct Server::Private
{
    struct Injection
    {
        QByteArray method;
        QString path;
        Failure failure;
        int calls = 0;
    };

    DataStore store;
    std::map<QString, CollectionRules> rules;  // a node map: the references handed out stay valid
    QList<WriteHook> writeHooks;
    QDateTime now;  // invalid: the system clock
    QList<Request> requests;
    QList<Server::Route> routes;
    QList<Injection> injections;
    QHash<QString, int> tokens;  // bearer token -> user id
    QString lastToken;
    quint16 port = 0;
};

Server::Server(QObject *parent)
    : QAbstractHttpServer(parent)
    , d(new Private)
{
    // The generic routes first: every domain's own routes win over them.
    addCollectionRoutes(*this, d->store);
    addDirectoryRoutes(*this, d->store);
    addLinkRoutes(*this, d->store);
    addUserRoutes(*this, d->store);
    addPersonRoutes(*this, d->store);
    addAccommodationRoutes(*this, d->store);
    addPaymentRoutes(*this, d->store);
    addReceiptRoutes(*this, d->store);
    addJournalRoutes(*this, d->store);
    addGlobalsRoutes(*this, d->store);
    addAuditRoutes(*this, d->store);
    addReportRoutes(*this, d->store);
    addPaymentReportRoutes(*this, d->store);
    addExchangeRoutes(*this, d->store);
}

Server::~Server()
{
    delete d;
}

namespace {

bool readJsonFile(const QString &path, QJsonObject *object, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("%1: %2 (offset %3)")
                     .arg(path, parseError.errorString())
                     .arg(parseError.offset);
        return false;
    }
    if (!document.isObject()) {
        *error = QStringLiteral("%1: not a JSON object").arg(path);
        return false;
    }
    *object = document.object();
    return true;
}

}  // namespace

bool Server::readFixture(const QString &path, QJsonObject *data, QString *error) const
{
    QString ignored;
    if (!error)
        error = &ignored;
    QStringList files{path};
    if (QFileInfo(path).isDir()) {
        const QDir dir(path);
        files.clear();
        for (const QString &name : dir.entryList({"*.json"}, QDir::Files, QDir::Name))
            files.append(dir.filePath(name));
        if (files.isEmpty()) {
            *error = QStringLiteral("%1: no fixture files (*.json)").arg(path);
            return false;
        }
    }

    // Where each globals key and each record id came from, to name both files of a clash.
    QHash<QString, QString> globalFrom;
    QHash<QString, QHash<int, QString>> recordFrom;
    QJsonObject merged;
    QJsonObject globals;
    for (const QString &file : files) {
        QJsonObject fixture;
        if (!readJsonFile(file, &fixture, error))
            return false;
        const QString fileName = QFileInfo(file).fileName();
        for (auto it = fixture.begin(); it != fixture.end(); ++it) {
            if (it.key() == QLatin1String("globals")) {
                const QJsonObject part = it.value().toObject();
                for (auto g = part.begin(); g != part.end(); ++g) {
                    if (globalFrom.contains(g.key())) {
                        *error = QStringLiteral("%1: globals \"%2\" given in both %3 and %4")
                                     .arg(path, g.key(), globalFrom.value(g.key()), fileName);
                        return false;
                    }
                    globalFrom.insert(g.key(), fileName);
                    globals.insert(g.key(), g.value());
                }
            } else if (it.value().isArray()) {
                const QString name = d->store.canonicalName(it.key());
                QJsonArray rows = merged.value(name).toArray();
                for (const QJsonValue &row : it.value().toArray()) {
                    const int id = row.toObject().value("id").toInt();
                    const QString earlier = recordFrom[name].value(id);
                    if (id > 0 && !earlier.isEmpty()) {
                        *error = QStringLiteral("%1: %2 id %3 given in both %4 and %5")
                                     .arg(path, name)
                                     .arg(id)
                                     .arg(earlier, fileName);
                        return false;
                    }
                    recordFrom[name].insert(id, fileName);
                    rows.append(row);
                }
                merged.insert(name, rows);
            }
        }
    }
    merged.insert("globals", globals);
    *data = merged;
    return true;
}

bool Server::loadFixture(const QString &path, QString *error)
{
    QJsonObject data;
    if (!readFixture(path, &data, error))
        return false;
    loadFixture(data);
    return true;
}

void Server::loadFixture(const QJsonObject &data)
{
    d->store.load(data);
}

QString Server::demoFixturePath()
{
    return QStringLiteral(STANDIN_DEMO_DATA);
}

QDateTime Server::now() const
{
    return d->now.isValid() ? d->now : QDateTime::currentDateTime();
}

void Server::setNow(const QDateTime &now)
{
    d->now = now;
}

CollectionRules &Server::rules(const QString &collection)
{
    return d->rules[d->store.canonicalName(collection)];
}

const CollectionRules &Server::rules(const QString &collection) const
{
    static const CollectionRules none;
    const auto found = d->rules.find(d->store.canonicalName(collection));
    return found == d->rules.end() ? none : found->second;
}

void Server::afterWrite(WriteHook hook)
{
    d->writeHooks.append(std::move(hook));
}

quint16 Server::start(quint16 port)
{
    if (d->port == 0)
        d->port = listen(QHostAddress::LocalHost, port);
    return d->port;
}

QString Server::rootUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(d->port);
}

QList<Request> Server::requests() const
{
    return d->requests;
}

QList<Request> Server::requestsTo(const QByteArray &method, const QString &path) const
{
    const QString wanted = normalizedPath(path);
    QList<Request> result;
    for (const Request &r : d->requests) {
        if ((method == "*" || r.method == method) && normalizedPath(r.path) == wanted)
            result.append(r);
    }
    return result;
}

void Server::clearRequests()
{
    d->requests.clear();
}

void Server::injectFailure(const QByteArray &method, const QString &path, const Failure &failure)
{
    const QString key = normalizedPath(path);
    d->injections.removeIf([&](const Private::Injection &i) {
        return i.method == method && i.path == key;
    });
    d->injections.append({method, key, failure, 0});
}

void Server::clearFailures()
{
    d->injections.clear();
}

QJsonArray Server::collection(const QString &name) const
{
    return d->store.rows(name);
}

QJsonObject Server::record(const QString &collection, int id) const
{
    return d->store.find(collection, id);
}

void Server::setCollection(const QString &name, const QJsonArray &rows)
{
    d->store.setRows(name, rows);
}

QJsonValue Server::global(const QString &name) const
{
    return d->store.global(name);
}

void Server::setGlobal(const QString &name, const QJsonValue &value)
{
    d->store.setGlobal(name, value);
}

QString Server::lastToken() const
{
    return d->lastToken;
}

QStringList Server::collectionNames() const
{
    return d->store.collectionNames();
}

int Server::addRecord(const QString &collection, const QJsonObject &record)
{
    return d->store.insert(collection, record);
}

void Server::setRecord(const QString &collection, const QJsonObject &record)
{
    d->store.replace(collection, record);
}

bool Server::removeRecord(const QString &collection, int id)
{
    return d->store.remove(collection, id);
}

QJsonObject Server::expandedRecord(const QString &collection, int id) const
{
    const QJsonObject stored = d->store.find(collection, id);
    return stored.isEmpty() ? stored : clientView(*this, d->store, collection, stored);
}

bool Server::allows(const Request &request, const QString &node) const
{
    return holds(userIdOf(request), node, request.method);
}

bool Server::holds(int userId, const QString &node, const QByteArray &method) const
{
    if (userId < 0 || node.isEmpty())
        return false;
    const int needed = method == "GET" ? 1 : 2;
    const int bits = d->store.find(QStringLiteral("users"), userId)
                         .value(QLatin1String("permissions"))
                         .toObject()
                         .value(node)
                         .toInt();
    return (bits & needed) == needed;
}

int Server::userIdOf(const Request &request) const
{
    const QByteArray value = request.header("Authorization").trimmed();
    if (!value.toLower().startsWith("bearer "))
        return -1;
    const QString token = QString::fromUtf8(value.mid(7).trimmed());
    const int userId = d->tokens.value(token, -1);
    // A sign-in lasts as long as its user.
    if (userId < 0 || d->store.find(QStringLiteral("users"), userId).isEmpty())
        return -1;
    return userId;
}

QString Server::issueToken(int userId)
{
    const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces);
    d->tokens.insert(token, userId);
    d->lastToken = token;
    return token;
}

void Server::route(const QByteArray &method, const QString &pattern, const Access &access,
                   Handler handler)
{
    d->routes.append({method, pathParts(pattern), access, std::move(handler)});
}

bool Server::handleRequest(const QHttpServerRequest &httpRequest, QTcpSocket *socket)
{
    Request request;
    request.method = methodName(httpRequest.method());
    request.path = httpRequest.url().path();
    if (!request.path.startsWith('/'))
        request.path.prepend('/');
    request.query = httpRequest.url().query(QUrl::FullyEncoded);
    request.headers = httpRequest.headers();

    // Qt's parser has read the whole body by now; what it announced counts
    // as much as what came, so that neither is taken past the limit.
    const qint64 announced = request.header("Content-Length").trimmed().toLongLong();
    Reply reply;
    try {
        if (std::max<qint64>(announced, httpRequest.body().size()) > maxBodySize) {
            d->requests.append(request);
            reply = Reply::error(413, QStringLiteral("Тело запроса больше %1 байт")
                                          .arg(maxBodySize));
        } else {
            reply = dispatch(request, httpRequest.body());
        }
    } catch (const std::exception &e) {
        reply = Reply::error(500, QStringLiteral("Внутренняя ошибка: %1").arg(e.what()));
    } catch (...) {
        reply = Reply::error(500, QStringLiteral("Внутренняя ошибка"));
    }
    if (reply.noReply)
        return true;  // the socket stays open and nothing is ever written

    const int status = reply.status >= 100 && reply.status <= 599 ? reply.status : 500;
    if (reply.loss != Reply::Loss::None) {
        loseConnection(socket, rawAnswer(status, reply, "Lost"), reply);
        return true;
    }
    if (reply.delayMs > 0) {
        // The responder keeps a reference to a request object that the base
        // class reuses for the socket's next request, so a late answer is
        // written to the socket by hand.
        const QByteArray raw = rawAnswer(status, reply, "Delayed");
        QTimer::singleShot(reply.delayMs, this, [guard = QPointer<QTcpSocket>(socket), raw] {
            if (guard)
                guard->write(raw);
        });
        return true;
    }
    respond(makeResponder(httpRequest, socket), status, reply);
    return true;
}

void Server::missingHandler(const QHttpServerRequest &httpRequest, QTcpSocket *socket)
{
    respond(makeResponder(httpRequest, socket), 404,
            Reply::error(404, QStringLiteral("Неизвестный путь")));
}

Reply Server::dispatch(Request request, const QByteArray &body)
{
    const QStringList parts = pathParts(request.path);
    const QString path = parts.join('/');
    // The body is taken only from a request whose sign-in holds: a
    // stranger's is neither parsed nor kept.
    bool otherMethod = false;
    const Route *chosen = match(request.method, parts, &otherMethod);
    const bool open = chosen && chosen->access.kind == Access::Kind::Anyone;
    const int userId = open ? -1 : userIdOf(request);
    if (open || userId >= 0)
        request.body = body;
    d->requests.append(request);

    // A copy: a further injection may move the one taken.
    const Failure *taken = takeFailure(request.method, path);
    const std::optional<Failure> failure = taken ? std::optional<Failure>(*taken) : std::nullopt;
    if (failure && !failure->nextReadFails.isEmpty()) {
        Failure lost;
        lost.status = failure->nextReadStatus;
        lost.onlyCall = 1;
        injectFailure("GET", failure->nextReadFails, lost);
    }
    const int delayMs = failure ? failure->delayMs : 0;
    // Served first, then the connection is lost.
    const Reply::Loss loss = !failure                                ? Reply::Loss::None
                             : failure->kind == FailureKind::Closed ? Reply::Loss::Closed
                             : failure->kind == FailureKind::Reset  ? Reply::Loss::Reset
                             : failure->kind == FailureKind::CutOff ? Reply::Loss::CutOff
                                                                    : Reply::Loss::None;
    const bool served = failure
                        && (failure->kind == FailureKind::Delay || failure->kind == FailureKind::Gateway
                            || loss != Reply::Loss::None);
    if (failure && !served) {
        Reply reply = failureReply(*failure);
        reply.delayMs = delayMs;
        return reply;
    }

    // Unknown paths too are refused to a stranger before anything else.
    Reply reply;
    if (!open && userId < 0)
        reply = Reply::error(401, QStringLiteral("Требуется вход"));
    else if (!chosen && otherMethod)
        reply = Reply::error(405, QStringLiteral("Метод %1 не поддерживается для %2")
                                      .arg(QString::fromLatin1(request.method), path));
    else if (!chosen)
        reply = Reply::error(404, QStringLiteral("Неизвестный путь: %1").arg(path));
    else if (const std::optional<Reply> refused = refusal(chosen->access, request, parts, userId))
        reply = *refused;
    else
        reply = serve(*chosen, request, parts, userId);
    if (failure && failure->kind == FailureKind::Gateway)
        reply = failureReply(*failure);
    reply.delayMs = delayMs;
    reply.loss = loss;
    return reply;
}

const Server::Route *Server::match(const QByteArray &method, const QStringList &parts,
                                   bool *otherMethod) const
{
    for (auto route = d->routes.crbegin(); route != d->routes.crend(); ++route) {
        if (route->pattern.size() != parts.size())
            continue;
        bool matches = true;
        for (qsizetype i = 0; i < parts.size() && matches; ++i)
            matches = route->pattern[i] == QLatin1String("*") || route->pattern[i] == parts[i];
        if (!matches)
            continue;
        if (route->method == "*" || route->method == method)
            return &*route;
        *otherMethod = true;
    }
    return nullptr;
}

std::optional<Reply> Server::refusal(const Access &access, const Request &request,
                                     const QStringList &parts, int userId) const
{
    QString node = access.name;
    if (access.kind == Access::Kind::Anyone || access.kind == Access::Kind::SignedIn)
        return std::nullopt;
    if (access.kind == Access::Kind::Collection) {
        const QString collection = d->store.canonicalName(node.isEmpty() ? parts.value(0) : node);
        if (!d->store.hasCollection(collection))
            return std::nullopt;  // its handler answers 404
        node = rules(collection).node;
    }
    if (holds(userId, node, request.method))
        return std::nullopt;
    return forbidden(node, request.method);
}

Reply Server::serve(const Route &chosen, const Request &request, const QStringList &parts,
                    int userId)
{
    const bool write = chosen.access.kind != Access::Kind::Anyone && request.method != "GET";
    int id = 0;
    const QJsonObject previous = write && parts.size() > 1 && parseId(parts.at(1), &id)
                                     ? d->store.find(parts.at(0), id)
                                     : QJsonObject();
    // A copy: the handler may add routes, which moves the table.
    const Handler handler = chosen.handler;
    const Reply reply = handler(request, parts);
    if (write && reply.status >= 200 && reply.status < 300) {
        const QList<WriteHook> hooks = d->writeHooks;
        for (const WriteHook &hook : hooks)
            hook(Write{request, parts, userId, reply, previous});
    }
    return reply;
}

const Failure *Server::takeFailure(const QByteArray &method, const QString &path)
{
    const Failure *chosen = nullptr;
    bool chosenExact = false;
    for (Private::Injection &injection : d->injections) {
        if (injection.path != path || (injection.method != "*" && injection.method != method))
            continue;
        ++injection.calls;
        const bool fires = injection.failure.onlyCall <= 0
                           || injection.calls == injection.failure.onlyCall;
        const bool exact = injection.method != "*";
        if (fires && (!chosen || (exact && !chosenExact))) {
            chosen = &injection.failure;
            chosenExact = exact;
        }
    }
    return chosen;
}

Reply Server::failureReply(const Failure &failure)
{
    Reply reply;
    switch (failure.kind) {
    case FailureKind::Status:
        reply.status = failure.status;
        reply.body = failure.body;
        break;
    case FailureKind::NotJson:
        reply.body = "<html><body>Internal failure: this is not JSON</body></html>";
        reply.contentType = "text/html";
        break;
    case FailureKind::OkFalse:
        reply = Reply::error(200, QStringLiteral("Injected failure"));
        break;
    case FailureKind::EmptyBody:
        reply = Reply::empty(200);
        break;
    case FailureKind::NoReply:
        reply.noReply = true;
        break;
    case FailureKind::Redirect:
        reply = Reply::empty(failure.status);
        reply.location = failure.location;
        break;
    case FailureKind::Gateway:
        reply.status = failure.status;
        reply.body = failure.body;
        reply.contentType = "text/html";
        reply.location = failure.location;
        break;
    case FailureKind::Delay:
    case FailureKind::Closed:
    case FailureKind::Reset:
    case FailureKind::CutOff:
        break;
    }
    return reply;
}

}  // namespace StandIn
