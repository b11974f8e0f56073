#include "rawviewwidget.h"

#include "global.h"
#include "loginmanager.h"
#include "networklog.h"
#include "saveloop.h"
#include "writequeue.h"

#include <QNetworkReply>
#include <QUrl>

RawViewWidget::RawViewWidget(QWidget *parent)
    : QWidget(parent)
{
    connect(&manager, &QNetworkAccessManager::finished, this,
            qOverload<QNetworkReply *>(&RawViewWidget::update));
    connect(LoginManager::instance(), &LoginManager::signedIn, this, [this] {
        loads.dropPending();
        failedReply = true;
        fromJson(QJsonDocument());
    });
}

void RawViewWidget::setEndpoint(const QString &newEndpoint)
{
    endpoint = newEndpoint;
}

void RawViewWidget::setRequest(const QNetworkRequest &newRequest)
{
    request = newRequest;
}

void RawViewWidget::handleUpdate()
{
    // The next sign-in loads again; a load asked for before is not shown.
    if (WriteQueue::isFinishing()) {
        loads.dropPending();
        return;
    }
    if (!endpoint.isEmpty())
        request.setUrl(QUrl(Global::endpoint(endpoint)));
    LoginManager::instance()->authorizeRequest(request);
    loads.sent(manager.get(request));
}

void RawViewWidget::update(QNetworkReply *reply)
{
    // A save's reply carries nothing the window shows, but it must not pile
    // up in the manager for the rest of the run; nor must a load's that a
    // later load has overtaken.
    if (reply->operation() != QNetworkAccessManager::GetOperation || !loads.isLatest(reply)) {
        reply->deleteLater();
        return;
    }
    const QJsonDocument document = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply));
    qCDebug(lomiNetwork) << reply->url() << NetworkLog::masked(document);
    failedReply = reply->error() != QNetworkReply::NoError || Global::isFailureEnvelope(document);
    reply->deleteLater();
    fromJson(failedReply ? QJsonDocument() : document);
}

NetworkManagerWrapper::Outcome RawViewWidget::save()
{
    if (!endpoint.isEmpty())
        request.setUrl(QUrl(Global::endpoint(endpoint)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    LoginManager::instance()->authorizeRequest(request);
    // A load sent before would bring back the document as it was before
    // this save, over what the user typed.
    loads.dropPending();
    // Waited for, so that the window learns whether its document was stored
    // and the user cannot save again meanwhile.
    return SaveLoop::send([this] {
               QNetworkReply *reply = manager.put(request, toJson().toJson(QJsonDocument::Indented));
               manager.waitFor(reply);
               return reply;
           })
        .outcome;
}
