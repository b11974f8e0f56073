#include "networkmanagerwrapper.h"

#include "loginmanager.h"
#include "messagebox.h"

#include "global.h"

#include <QEventLoop>
#include <QIODevice>
#include <QJsonObject>
#include <QNetworkReply>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>

namespace {
constexpr int defaultTransferTimeout = 60000;
int currentTransferTimeout = defaultTransferTimeout;

// A write's body, which goes out once. Qt asks the body to start over to
// send its request again, and this one declines: the request then fails
// with ContentReSendError instead of reaching the server a second time.
class OneShotBody : public QIODevice
{
public:
    OneShotBody(const QByteArray &data, QObject *parent)
        : QIODevice(parent)
        , data(data)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    // The request the body goes with.
    void setReply(const QNetworkReply *sentWith) { reply = sentWith; }

    qint64 size() const override { return data.size(); }
    // Qt rewinds the body of a request answered with a 307 or a 308 (the
    // headers are in by then) even when it is not to follow the redirect,
    // and fails the request if the body declines; such a request is over,
    // and its body goes nowhere again.
    bool reset() override
    {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        return (status == 307 || status == 308) && QIODevice::reset();
    }

protected:
    qint64 readData(char *out, qint64 maxSize) override
    {
        const qint64 length = std::min<qint64>(maxSize, data.size() - pos());
        if (length <= 0)
            return 0;
        memcpy(out, data.constData() + pos(), size_t(length));
        return length;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const QByteArray data;
    const QNetworkReply *reply = nullptr;
};

bool isScheme(const QUrl &url, const char *scheme)
{
    return url.scheme().compare(QLatin1String(scheme), Qt::CaseInsensitive) == 0;
}

// Whether `url` is on the origin (scheme, host and port) of the server
// address in the connection settings: the bearer header and the records go
// nowhere else.
bool isServerOrigin(const QUrl &url)
{
    const QUrl root(Global::endpoint(QString()));
    const auto port = [](const QUrl &address) { return address.port(isScheme(address, "https") ? 443 : 80); };
    return !root.host().isEmpty() && url.scheme().compare(root.scheme(), Qt::CaseInsensitive) == 0
           && url.host().compare(root.host(), Qt::CaseInsensitive) == 0 && port(url) == port(root);
}

// As many as browsers follow: a server that sends a write round in a loop
// must not have it sent fifty times.
constexpr int maxWriteRedirects = 20;

// Set on a reply that ended at a redirect it did not follow: how
// (NetworkManagerWrapper::Redirect), and the address the redirect named,
// empty when it named none.
const char redirectProperty[] = "lomiRedirectNotFollowed";
const char redirectTargetProperty[] = "lomiRedirectTarget";
// Set on a write that its time-out ended, as against its owner's abort.
const char timedOutProperty[] = "lomiTimedOut";

using Redirect = NetworkManagerWrapper::Redirect;

void markRedirect(QNetworkReply *reply, Redirect how, const QUrl &target)
{
    reply->setProperty(redirectProperty, int(how));
    reply->setProperty(redirectTargetProperty, target);
}

QUrl locationOf(const QNetworkReply *reply)
{
    return reply->url().resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
}

// A write as its owner sees it, whatever redirects it met on the way.
//
// Only a 307 or a 308 says that the server did not take the write and keeps
// its verb and body: the write goes on to the address named, on the server's
// own origin, as a request of its own with a body of its own. (Qt's own
// following sends the body again through the request it went with, and now
// and then fails the second send with "Unknown error" although the server
// took it.) After a 301, 302 or 303 Qt would send a GET and hand its answer
// back as the write's, and a 303 may mean that the write was taken: such a
// redirect ends the write with its outcome unknown, naming the address, as
// does any redirect to another origin, where the sign-in token and the
// record have no business.
//
// It finishes once, and an abort, its owner's or its time-out's, ends it
// wherever it is: between two hops too, from the owner's slot on
// redirected, where nothing more is sent, and from any signal of the request
// in flight.
class WriteReply : public QNetworkReply
{
public:
    using Send = std::function<QNetworkReply *(const QNetworkRequest &)>;

    WriteReply(QNetworkAccessManager::Operation verb, const QNetworkRequest &request, Send send,
               int timeout, QObject *parent)
        : QNetworkReply(parent)
        , send(std::move(send))
    {
        setOperation(verb);
        setRequest(request);
        setUrl(request.url());
        open(QIODevice::ReadOnly);
        // One time-out for the whole write, however many hops it takes.
        if (timeout > 0) {
            deadline.setSingleShot(true);
            connect(&deadline, &QTimer::timeout, this, [this] {
                setProperty(timedOutProperty, true);
                abort();
            });
            deadline.start(timeout);
        }
        hop(request);
    }

    void abort() override
    {
        if (isFinished())
            return;
        // A request in flight finishes the write as it ends (hopFinished);
        // between two hops (the owner's slot on redirected) there is none.
        QNetworkReply *inFlight = hopReply->isFinished() ? nullptr : hopReply;
        if (inFlight)
            inFlight->abort();
        if (!isFinished()) {
            QNetworkReply::close();
            end(QNetworkReply::OperationCanceledError, QStringLiteral("Operation canceled"));
        }
        // Qt sends a request aborted before it started all the same, and
        // finishes it again: it goes before it can start. Aborted from one
        // of its own signals, it has started, and Qt is still in it: it goes
        // once Qt has left it.
        if (inFlight) {
            hopReply = nullptr;
            if (relaying)
                inFlight->deleteLater();
            else
                delete inFlight;
        }
    }

    // The body is read from the request that gave the answer.
    qint64 bytesAvailable() const override
    {
        return QNetworkReply::bytesAvailable() + (isFinished() && hopReply ? hopReply->bytesAvailable() : 0);
    }

protected:
    qint64 readData(char *out, qint64 maxSize) override
    {
        return isFinished() && hopReply ? hopReply->read(out, maxSize) : 0;
    }

private:
    void hop(const QNetworkRequest &request)
    {
        QNetworkReply *sent = send(request);
        hopReply = sent;
        // Deleted with the write; the manager deletes its writes before
        // its other replies (~NetworkManagerWrapper).
        sent->setParent(this);
        // Only the request in flight speaks for the write: one aborted from
        // its own signal finishes again as Qt leaves it.
        connect(sent, &QNetworkReply::finished, this, [this, sent] {
            if (sent == hopReply && !isFinished())
                hopFinished();
        });
        connect(sent, &QNetworkReply::metaDataChanged, this, [this, sent] {
            if (sent == hopReply && !isFinished() && !goesOn(sent)) {
                takeMetaData(sent);
                relay([this] { emit metaDataChanged(); });
            }
        });
        connect(sent, &QNetworkReply::socketStartedConnecting, this,
                [this] { relay([this] { emit socketStartedConnecting(); }); });
        connect(sent, &QNetworkReply::requestSent, this, [this] { relay([this] { emit requestSent(); }); });
        connect(sent, &QNetworkReply::uploadProgress, this, [this](qint64 done, qint64 total) {
            relay([this, done, total] { emit uploadProgress(done, total); });
        });
        connect(sent, &QNetworkReply::downloadProgress, this, [this](qint64 done, qint64 total) {
            relay([this, done, total] { emit downloadProgress(done, total); });
        });
    }

    // Passes a signal of the request in flight on to the owner, who may
    // abort the write from it.
    void relay(const std::function<void()> &emitted)
    {
        if (isFinished())
            return;
        const QScopedValueRollback<bool> inside(relaying, true);
        emitted();
    }

    bool goesOn(const QNetworkReply *sent) const
    {
        const int code = sent->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        return (code == 307 || code == 308) && sent->hasRawHeader("Location") && hopsLeft > 0
               && isServerOrigin(locationOf(sent));
    }

    // What the owner reads of the answer: the headers and status of the
    // request that gave it.
    void takeMetaData(const QNetworkReply *from)
    {
        const QList<RawHeaderPair> headers = from->rawHeaderPairs();
        for (const RawHeaderPair &header : headers)
            setRawHeader(header.first, header.second);
        for (const auto attribute :
             {QNetworkRequest::HttpStatusCodeAttribute, QNetworkRequest::HttpReasonPhraseAttribute,
              QNetworkRequest::ConnectionEncryptedAttribute, QNetworkRequest::Http2WasUsedAttribute,
              QNetworkRequest::OriginalContentLengthAttribute})
            setAttribute(attribute, from->attribute(attribute));
    }

    void hopFinished()
    {
        QNetworkReply *answered = hopReply;
        const int code = answered->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool redirect = answered->error() == QNetworkReply::NoError && code >= 300 && code < 400;
        if (redirect && goesOn(answered)) {
            --hopsLeft;
            QNetworkRequest next = request();
            next.setUrl(locationOf(answered));
            emit redirected(next.url());
            // Its owner may have aborted it there.
            if (isFinished())
                return;
            answered->deleteLater();
            hop(next);
            return;
        }
        takeMetaData(answered);
        if (redirect) {
            const bool named = answered->hasRawHeader("Location");
            const QUrl target = named ? locationOf(answered) : QUrl();
            setAttribute(QNetworkRequest::RedirectionTargetAttribute, target);
            // A 303 to the address the write went to is a server's "see the
            // list" after a create, not a loop.
            const bool looped = named
                                && (code == 307 || code == 308 ? hopsLeft == 0
                                                               : code != 303 && target == answered->url());
            markRedirect(this,
                         !named         ? Redirect::Unaddressed
                         : looped       ? Redirect::Looped
                         : code == 303  ? Redirect::SeeOther
                                        : Redirect::Moved,
                         target);
            const QString address = named ? target.toString() : QStringLiteral("no address");
            end(QNetworkReply::OperationCanceledError,
                QStringLiteral("the write was not sent on%1: the server answered with a "
                               "redirect (HTTP %2) to %3")
                    .arg(looped && hopsLeft == 0 ? QStringLiteral(" after %1 redirects").arg(maxWriteRedirects)
                                                 : QString())
                    .arg(code)
                    .arg(address));
            return;
        }
        setUrl(answered->url());
        // A reply that was aborted has nothing to read; so neither has this.
        if (!answered->isOpen())
            QNetworkReply::close();
        end(answered->error(), answered->errorString());
    }

    void end(QNetworkReply::NetworkError error, const QString &reason)
    {
        deadline.stop();
        setError(error, reason);
        setFinished(true);
        if (error != QNetworkReply::NoError)
            emit errorOccurred(error);
        if (bytesAvailable() > 0)
            emit readyRead();
        emit finished();
    }

    const Send send;
    int hopsLeft = maxWriteRedirects;
    QTimer deadline;
    // The request in flight, or the one that gave the answer; none once
    // an abort took the one in flight.
    QNetworkReply *hopReply = nullptr;
    // Inside a signal of the request in flight.
    bool relaying = false;
};

}  // namespace

NetworkManagerWrapper::NetworkManagerWrapper(QObject *parent)
    : QNetworkAccessManager(parent)
{
    // Connected first, so the failure box comes before any owner's slot.
    connect(this, &QNetworkAccessManager::finished, this,
            &NetworkManagerWrapper::checkRequestResult);
    // Also covers the requests that owners build themselves and send with
    // the plain get() and put().
    setTransferTimeout(currentTransferTimeout);
}

NetworkManagerWrapper::~NetworkManagerWrapper()
{
    // Qt's destructor deletes every reply among the manager's descendants,
    // a write's hops too, which their write deletes as well: the writes go
    // first, each with its hops.
    const QList<QNetworkReply *> replies = findChildren<QNetworkReply *>(Qt::FindDirectChildrenOnly);
    for (QNetworkReply *reply : replies) {
        if (dynamic_cast<WriteReply *>(reply))
            delete reply;
    }
}

NetworkManagerWrapper::Redirect NetworkManagerWrapper::stoppedAt(const QNetworkReply *reply)
{
    const QVariant how = reply->property(redirectProperty);
    return how.isValid() ? Redirect(how.toInt()) : Redirect::None;
}

QUrl NetworkManagerWrapper::redirectTarget(const QNetworkReply *reply)
{
    return reply->property(redirectTargetProperty).toUrl();
}

QString NetworkManagerWrapper::movedReason(const QUrl &target)
{
    return QStringLiteral("сервер отправил запрос по другому адресу, %1, и туда он не отправлен. Измените "
                          "адрес сервера в «Настройки соединения» (кнопка рядом с «Вход» в окне входа)")
        .arg(target.toString());
}

int NetworkManagerWrapper::transferTimeout()
{
    return currentTransferTimeout;
}

void NetworkManagerWrapper::setTransferTimeoutForTesting(int milliseconds)
{
    currentTransferTimeout = milliseconds;
}

void NetworkManagerWrapper::setChecksDisabled()
{
    checksEnabled = false;
}

void NetworkManagerWrapper::setChecksEnabled()
{
    checksEnabled = true;
}

QNetworkRequest NetworkManagerWrapper::prepareRequest(const QUrl &url, bool authorize) const
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(currentTransferTimeout);
    if (authorize)
        LoginManager::instance()->authorizeRequest(request);
    return request;
}

QNetworkReply *NetworkManagerWrapper::getUrl(const QUrl &url, bool authorize, bool sync)
{
    return finish(get(prepareRequest(url, authorize)), sync);
}

QNetworkReply *NetworkManagerWrapper::deleteUrl(const QUrl &url, bool authorize, bool sync)
{
    return finish(deleteResource(prepareRequest(url, authorize)), sync);
}

QNetworkReply *NetworkManagerWrapper::postUrl(const QUrl &url, const QJsonDocument &body,
                                              bool authorize, bool sync)
{
    const QByteArray data = body.toJson(QJsonDocument::Indented);
    return finish(post(prepareRequest(url, authorize), data), sync);
}

QNetworkReply *NetworkManagerWrapper::putUrl(const QUrl &url, const QJsonDocument &body,
                                             bool authorize, bool sync)
{
    const QByteArray data = body.toJson(QJsonDocument::Indented);
    return finish(put(prepareRequest(url, authorize), data), sync);
}

QNetworkReply *NetworkManagerWrapper::sendUrl(QNetworkAccessManager::Operation verb,
                                              const QUrl &url, const QJsonDocument &body,
                                              bool authorize, bool sync)
{
    if (verb == QNetworkAccessManager::PostOperation)
        return postUrl(url, body, authorize, sync);
    if (verb == QNetworkAccessManager::PutOperation)
        return putUrl(url, body, authorize, sync);
    return deleteUrl(url, authorize, sync);
}

QNetworkReply *NetworkManagerWrapper::createRequest(Operation op, const QNetworkRequest &request,
                                                   QIODevice *outgoingData)
{
    if (op == GetOperation || op == HeadOperation) {
        // Qt's own following, kept to the origin the read went to: Qt 6.4
        // sends a read that it lets its owner confirm each redirect of the
        // same request over and over once it is redirected twice, and ends
        // it as a success with an empty body.
        QNetworkRequest guarded = request;
        guarded.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::SameOriginRedirectPolicy);
        QNetworkReply *reply = QNetworkAccessManager::createRequest(op, guarded, outgoingData);
        // Named before its owners see it finish: where the server sent it.
        connect(reply, &QNetworkReply::errorOccurred, reply, [reply](QNetworkReply::NetworkError error) {
            if (error == QNetworkReply::InsecureRedirectError)
                markRedirect(reply, Redirect::Moved, locationOf(reply));
        });
        return reply;
    }
    // Whoever built the request, the plain put() and deleteResource() too.
    const QByteArray data = outgoingData ? outgoingData->readAll() : QByteArray();
    Operation sentAs = op;
    QNetworkRequest once = request;
    if (op == DeleteOperation) {
        // A DELETE carries no body of its own, and only a body can decline
        // to be sent again: it goes as the same verb with an empty one.
        sentAs = CustomOperation;
        once.setAttribute(QNetworkRequest::CustomVerbAttribute, QByteArrayLiteral("DELETE"));
    }
    // Every redirect is judged by the write itself (WriteReply).
    once.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                      QNetworkRequest::ManualRedirectPolicy);
    const int timeout =
        request.transferTimeout() > 0 ? request.transferTimeout() : QNetworkAccessManager::transferTimeout();
    const auto send = [this, sentAs, data, timeout](QNetworkRequest hop) {
        // The write's own time-out is the one clock: a hop that Qt cancelled
        // on its own would read as the owner's abort.
        if (timeout > 0)
            hop.setTransferTimeout(std::numeric_limits<int>::max());
        auto *body = new OneShotBody(data, nullptr);
        QNetworkReply *reply = QNetworkAccessManager::createRequest(sentAs, hop, body);
        body->setParent(reply);
        body->setReply(reply);
        return reply;
    };
    return new WriteReply(op, once, send, timeout, this);
}

QNetworkReply *NetworkManagerWrapper::finish(QNetworkReply *reply, bool sync)
{
    if (sync)
        waitFor(reply);
    return reply;
}

void NetworkManagerWrapper::waitFor(QNetworkReply *reply)
{
    // Wait for this reply, not for whichever of the manager's replies
    // finishes next: another request in flight must not end the wait early.
    // finished() is never emitted from inside get()/post(), so connecting
    // here cannot miss it. Connected after the owner's slots, so they have
    // handled the reply when the call returns.
    QEventLoop loop;
    bool done = false;
    const auto connection = connect(this, &QNetworkAccessManager::finished, &loop,
                                    [&](QNetworkReply *finished) {
                                        if (finished == reply) {
                                            done = true;
                                            loop.quit();
                                        }
                                    });
    if (!done)
        loop.exec(QEventLoop::AllEvents);
    disconnect(connection);
}

namespace {

const char outcomeProperty[] = "lomiOutcome";

// The body without taking it from the owner, who reads it after us.
QByteArray peekBody(QNetworkReply *reply)
{
    return reply->isOpen() ? reply->peek(reply->bytesAvailable()) : QByteArray();
}

// A gateway in front of the server answers so when the server's own answer
// was lost: a dropped connection to it (502) or a save slower than the
// gateway waits (504); a service mesh's proxy (503) or a content network
// (520, 524) with a page of its own. The server may have stored the write
// all the same. The server's own refusal carries its JSON message.
bool isGatewayLoss(QNetworkReply *reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 502 || status == 504)
        return true;
    if (status < 500)
        return false;
    const QJsonDocument answer = QJsonDocument::fromJson(peekBody(reply));
    return !Global::isFailureEnvelope(answer) && !answer.object().value(QStringLiteral("message")).isString();
}

bool isWrite(const QNetworkReply *reply)
{
    return reply->operation() != QNetworkAccessManager::GetOperation
           && reply->operation() != QNetworkAccessManager::HeadOperation;
}

// The errors Qt gives for an answer that came whole with an error status.
bool isErrorStatus(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

NetworkManagerWrapper::Outcome judge(QNetworkReply *reply)
{
    using Outcome = NetworkManagerWrapper::Outcome;
    switch (reply->error()) {
    case QNetworkReply::NoError:
        // The server refuses some writes with a successful status and its
        // envelope; a read answered so is judged by its owner (an empty list).
        if (isWrite(reply)
            && Global::isFailureEnvelope(QJsonDocument::fromJson(peekBody(reply))))
            return Outcome::Refused;
        return Outcome::Done;
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
        return Outcome::NotSent;
    default:
        break;
    }
    // A status followed by a connection lost halfway through the body is no
    // refusal: the write may have been stored.
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()
        && isErrorStatus(reply->error()) && !isGatewayLoss(reply))
        return Outcome::Refused;
    return Outcome::Unanswered;
}

}  // namespace

NetworkManagerWrapper::Outcome NetworkManagerWrapper::outcome(QNetworkReply *reply)
{
    const QVariant judged = reply->property(outcomeProperty);
    if (judged.isValid())
        return static_cast<Outcome>(judged.toInt());
    // A reply of a manager that is not a wrapper: judged on first asking.
    const Outcome verdict = judge(reply);
    reply->setProperty(outcomeProperty, static_cast<int>(verdict));
    return verdict;
}

QByteArray NetworkManagerWrapper::readBody(QNetworkReply *reply)
{
    return reply->isOpen() ? reply->readAll() : QByteArray();
}

QString NetworkManagerWrapper::serverMessage(const QByteArray &body)
{
    return serverMessage(QJsonDocument::fromJson(body));
}

QString NetworkManagerWrapper::serverMessage(const QJsonDocument &document)
{
    return document.object().value(QStringLiteral("message")).toString();
}

int NetworkManagerWrapper::timedOutAfter(QNetworkReply *reply)
{
    // No window aborts a read: a cancelled one ran out of time, which Qt
    // words as if the clerk had cancelled it. A write knows which it was.
    if (reply->error() != QNetworkReply::OperationCanceledError || stoppedAtRedirect(reply)
        || (isWrite(reply) && !reply->property(timedOutProperty).toBool()))
        return 0;
    const int timeout = reply->request().transferTimeout();
    if (timeout > 0)
        return timeout;
    return reply->manager() ? reply->manager()->transferTimeout() : currentTransferTimeout;
}

QString NetworkManagerWrapper::failureReason(QNetworkReply *reply)
{
    const QUrl target = redirectTarget(reply);
    if (stoppedAt(reply) == Redirect::Moved && !isServerOrigin(target))
        return movedReason(target);
    switch (reply->error()) {
    // Qt names no reason when it was kept from sending a write again.
    case QNetworkReply::ContentReSendError:
        return QStringLiteral("Connection lost before the answer came");
    case QNetworkReply::OperationCanceledError: {
        const int timeout = timedOutAfter(reply);
        return timeout > 0 ? QStringLiteral("Timed out: no answer in %1 s").arg(timeout / 1000.0)
                           : reply->errorString();
    }
    default:
        return reply->errorString();
    }
}

void NetworkManagerWrapper::checkRequestResult(QNetworkReply *reply)
{
    if (checksEnabled)
        reportFailure(reply);
}

void NetworkManagerWrapper::reportFailure(QNetworkReply *reply)
{
    if (outcome(reply) == Outcome::Done)
        return;
    const QString message = serverMessage(peekBody(reply));
    if (reply->error() == QNetworkReply::NoError) {
        MessageBox::critical(nullptr, QStringLiteral("Ошибка"),
                             message.isEmpty() ? QStringLiteral("Сервер не сохранил запись.")
                                               : QStringLiteral("Сервер не сохранил запись: %1")
                                                     .arg(message),
                             QMessageBox::Ok);
        return;
    }
    // Qt's read names the address it was sent to, not the one it was asked for.
    const QUrl asked = stoppedAtRedirect(reply) ? reply->request().url() : reply->url();
    QString text = QStringLiteral("Failed to execute request to %1: %2")
                       .arg(asked.toString(), failureReason(reply));
    if (!message.isEmpty())
        text += QLatin1Char('\n') + message;
    MessageBox::critical(nullptr, QStringLiteral("Request failed"), text, QMessageBox::Ok);
}
