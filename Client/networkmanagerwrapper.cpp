#include "networkmanagerwrapper.h"

#include "loginmanager.h"
#include "messagebox.h"

#include "global.h"

#include <QEventLoop>
#include <QIODevice>
#include <QJsonObject>
#include <QNetworkReply>
#include <QPointer>

#include <algorithm>
#include <cstring>
#include <functional>
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

// A write as its owner sees it, whatever redirects it met on the way.
//
// Only a 307 or a 308 says that the server did not take the write and keeps
// its verb and body: the write goes on to the address named, as a request
// of its own with a body of its own. (Qt's own following sends the body
// again through the request it went with, and now and then fails the second
// send with "Unknown error" although the server took it.) After a 301, 302
// or 303 Qt would send a GET and hand its answer back as the write's, and a
// 303 may mean that the write was taken: such a redirect ends the write with
// its outcome unknown, naming the address, as does a move from an encrypted
// address to a plain one.
class WriteReply : public QNetworkReply
{
public:
    using Send = std::function<QNetworkReply *(const QNetworkRequest &)>;

    WriteReply(QNetworkAccessManager::Operation verb, const QNetworkRequest &request, Send send,
               QObject *parent)
        : QNetworkReply(parent)
        , send(std::move(send))
        , hopsLeft(request.maximumRedirectsAllowed())
    {
        setOperation(verb);
        setRequest(request);
        setUrl(request.url());
        open(QIODevice::ReadOnly);
        hop(request);
    }

    // The manager deletes its replies on the way out, looking for them
    // among its children's children too: the hops are no one's children.
    ~WriteReply() override { delete hopReply; }

    void abort() override
    {
        if (!isFinished())
            hopReply->abort();
    }

    // The body is read from the request that gave the answer.
    qint64 bytesAvailable() const override
    {
        return QNetworkReply::bytesAvailable() + (isFinished() ? hopReply->bytesAvailable() : 0);
    }

protected:
    qint64 readData(char *out, qint64 maxSize) override
    {
        return isFinished() ? hopReply->read(out, maxSize) : 0;
    }

private:
    void hop(const QNetworkRequest &request)
    {
        hopReply = send(request);
        hopReply->setParent(nullptr);
        connect(hopReply, &QNetworkReply::finished, this, [this] { hopFinished(); });
    }

    void hopFinished()
    {
        QNetworkReply *answered = hopReply;
        const QVariant status = answered->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const int code = status.toInt();
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
        setAttribute(QNetworkRequest::HttpReasonPhraseAttribute,
                     answered->attribute(QNetworkRequest::HttpReasonPhraseAttribute));
        if (answered->error() == QNetworkReply::NoError && code >= 300 && code < 400) {
            const bool named = answered->hasRawHeader("Location");
            const QUrl target = answered->url().resolved(
                answered->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl());
            const bool secure = isScheme(target, "https")
                                || (isScheme(target, "http") && !isScheme(answered->url(), "https"));
            if ((code == 307 || code == 308) && named && secure && hopsLeft > 0) {
                --hopsLeft;
                answered->deleteLater();
                QNetworkRequest next = request();
                next.setUrl(target);
                hop(next);
                return;
            }
            setAttribute(QNetworkRequest::RedirectionTargetAttribute, target);
            setError(QNetworkReply::OperationCanceledError,
                     QStringLiteral("the write was not sent on: the server answered with a "
                                    "redirect (HTTP %1) to %2")
                         .arg(code)
                         .arg(named ? target.toString() : QStringLiteral("no address")));
        } else {
            setUrl(answered->url());
            setError(answered->error(), answered->errorString());
            // A reply that was aborted has nothing to read; so neither has this.
            if (!answered->isOpen())
                QNetworkReply::close();
        }
        setFinished(true);
        if (error() != QNetworkReply::NoError)
            emit errorOccurred(error());
        if (bytesAvailable() > 0)
            emit readyRead();
        emit finished();
    }

    const Send send;
    int hopsLeft;
    // The request in flight, or the one that gave the answer.
    QNetworkReply *hopReply = nullptr;
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
    if (op == GetOperation || op == HeadOperation)
        return QNetworkAccessManager::createRequest(op, request, outgoingData);
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
    const auto send = [this, sentAs, data](const QNetworkRequest &hop) {
        auto *body = new OneShotBody(data, nullptr);
        QNetworkReply *reply = QNetworkAccessManager::createRequest(sentAs, hop, body);
        body->setParent(reply);
        body->setReply(reply);
        return reply;
    };
    return new WriteReply(op, once, send, this);
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

// A gateway in front of the server answers so when the server's own answer
// was lost: a dropped connection to it (502) or a save slower than the
// gateway waits (504). The server may have stored the write all the same.
bool isGatewayLoss(QNetworkReply *reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status == 502 || status == 504;
}

bool isWrite(const QNetworkReply *reply)
{
    return reply->operation() != QNetworkAccessManager::GetOperation
           && reply->operation() != QNetworkAccessManager::HeadOperation;
}

// The body without taking it from the owner, who reads it after us.
QByteArray peekBody(QNetworkReply *reply)
{
    return reply->isOpen() ? reply->peek(reply->bytesAvailable()) : QByteArray();
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

QString NetworkManagerWrapper::failureReason(QNetworkReply *reply)
{
    // Qt names no reason when it was kept from sending a write again.
    if (reply->error() == QNetworkReply::ContentReSendError)
        return QStringLiteral("Connection lost before the answer came");
    return reply->errorString();
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
    QString text = QStringLiteral("Failed to execute request to %1: %2")
                       .arg(reply->url().toString(), failureReason(reply));
    if (!message.isEmpty())
        text += QLatin1Char('\n') + message;
    MessageBox::critical(nullptr, QStringLiteral("Request failed"), text, QMessageBox::Ok);
}
