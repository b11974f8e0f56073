#include "networkmanagerwrapper.h"

#include "loginmanager.h"
#include "messagebox.h"

#include "global.h"

#include <QEventLoop>
#include <QJsonObject>
#include <QNetworkReply>
#include <QPointer>

namespace {
constexpr int defaultTransferTimeout = 60000;
int currentTransferTimeout = defaultTransferTimeout;
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

NetworkManagerWrapper::Outcome judge(QNetworkReply *reply)
{
    using Outcome = NetworkManagerWrapper::Outcome;
    if (!reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return reply->error() == QNetworkReply::NoError ? Outcome::Done : Outcome::Unanswered;
    if (reply->error() != QNetworkReply::NoError)
        return Outcome::Refused;
    // The server refuses some writes with a successful status and its
    // envelope; a read answered so is judged by its owner (an empty list).
    if (isWrite(reply)
        && Global::isFailureEnvelope(QJsonDocument::fromJson(peekBody(reply))))
        return Outcome::Refused;
    return Outcome::Done;
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
    return QJsonDocument::fromJson(body).object().value(QStringLiteral("message")).toString();
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
                       .arg(reply->url().toString(), reply->errorString());
    if (!message.isEmpty())
        text += QLatin1Char('\n') + message;
    MessageBox::critical(nullptr, QStringLiteral("Request failed"), text, QMessageBox::Ok);
}
