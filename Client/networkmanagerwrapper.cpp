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

namespace {
constexpr int defaultTransferTimeout = 60000;
int currentTransferTimeout = defaultTransferTimeout;

// A write's body, which goes out once. Qt asks the body to start over only
// to send its request again, and this one declines: the request then fails
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

    qint64 size() const override { return data.size(); }
    bool reset() override { return false; }

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
    auto *body = new OneShotBody(outgoingData ? outgoingData->readAll() : QByteArray(), nullptr);
    QNetworkRequest once = request;
    if (op == DeleteOperation) {
        // A DELETE carries no body of its own, and only a body can decline
        // to be sent again: it goes as the same verb with an empty one.
        op = CustomOperation;
        once.setAttribute(QNetworkRequest::CustomVerbAttribute, QByteArrayLiteral("DELETE"));
    }
    QNetworkReply *reply = QNetworkAccessManager::createRequest(op, once, body);
    body->setParent(reply);
    return reply;
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
        && isErrorStatus(reply->error()))
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
    // Qt names no reason when it was kept from sending a write again.
    const QString reason = reply->error() == QNetworkReply::ContentReSendError
                               ? QStringLiteral("Connection lost before the answer came")
                               : reply->errorString();
    QString text = QStringLiteral("Failed to execute request to %1: %2")
                       .arg(reply->url().toString(), reason);
    if (!message.isEmpty())
        text += QLatin1Char('\n') + message;
    MessageBox::critical(nullptr, QStringLiteral("Request failed"), text, QMessageBox::Ok);
}
