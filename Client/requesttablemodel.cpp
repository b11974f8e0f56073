#include "requesttablemodel.h"

#include "global.h"
#include "networklog.h"
#include "networkmanagerwrapper.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>

RequestTableModel::RequestTableModel(QObject *parent)
    : JsonTableModel(parent)
    , manager(new QNetworkAccessManager())
{
    manager->setTransferTimeout(NetworkManagerWrapper::transferTimeout());
    connect(manager, &QNetworkAccessManager::finished, this, &RequestTableModel::dataFetched);
}

RequestTableModel::~RequestTableModel()
{
    delete manager;
}

void RequestTableModel::setRequest(const QNetworkRequest &newRequest)
{
    request = newRequest;
}

void RequestTableModel::select()
{
    latest.sent(manager->get(request));
}

void RequestTableModel::selectSync()
{
    QNetworkReply *reply = latest.sent(manager->get(request));
    // Another load of this model may still be in flight; its reply must not
    // end this wait. Connected after dataFetched, so the reply is handled
    // when the wait ends.
    QEventLoop loop;
    const auto connection = connect(manager, &QNetworkAccessManager::finished, &loop,
                                    [&](QNetworkReply *finished) {
                                        if (finished == reply)
                                            loop.quit();
                                    });
    loop.exec(QEventLoop::AllEvents);
    disconnect(connection);
}

void RequestTableModel::clear()
{
    latest.dropPending();
    setJson(QJsonDocument());
}

void RequestTableModel::dataFetched(QNetworkReply *reply)
{
    reply->deleteLater();
    if (!latest.isLatest(reply))
        return;
    const QJsonDocument document = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply));
    qCDebug(lomiNetwork) << reply->url() << NetworkLog::masked(document);

    const bool failed = document.isEmpty() || reply->error() != QNetworkReply::NoError
                        || Global::isFailureEnvelope(document);
    setJson(failed ? QJsonDocument() : document);
    emit selectFinished();
}
