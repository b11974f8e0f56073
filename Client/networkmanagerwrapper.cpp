#include "networkmanagerwrapper.h"

#include "loginmanager.h"
#include "messagebox.h"

#include <QEventLoop>
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

void NetworkManagerWrapper::checkRequestResult(QNetworkReply *reply)
{
    if (!checksEnabled || reply->error() == QNetworkReply::NoError)
        return;
    MessageBox::critical(nullptr, QStringLiteral("Request failed"),
                         QStringLiteral("Failed to execute request to %1: %2")
                             .arg(reply->url().toString(), reply->errorString()),
                         QMessageBox::Ok);
}
