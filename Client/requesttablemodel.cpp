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
    manager->get(request);
}

void RequestTableModel::selectSync()
{
    QNetworkReply *reply = manager->get(request);
    // Another load of this model may still be in flight; its reply must not
    // end this wait with its data.
    QEventLoop loop;
    const auto connection = connect(this, &RequestTableModel::selectFinished, &loop, [&] {
        if (lastHandledReply == reply)
            loop.quit();
    });
    loop.exec(QEventLoop::AllEvents);
    disconnect(connection);
}

void RequestTableModel::dataFetched(QNetworkReply *reply)
{
    const QJsonDocument document = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply));
    qCDebug(lomiNetwork) << reply->url() << NetworkLog::masked(document);

    const bool failed = document.isEmpty() || reply->error() != QNetworkReply::NoError
                        || Global::isFailureEnvelope(document);
    setJson(failed ? QJsonDocument() : document);

    lastHandledReply = reply;
    reply->deleteLater();
    emit selectFinished();
}
