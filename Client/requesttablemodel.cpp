#include "requesttablemodel.h"

#include "global.h"
#include "loginmanager.h"
#include "networklog.h"
#include "networkmanagerwrapper.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>

RequestTableModel::RequestTableModel(QObject *parent)
    : JsonTableModel(parent)
    , manager(new NetworkManagerWrapper())
{
    // The wrapper keeps the bearer header from following a redirect to
    // another server; a list's failure is shown by its window, not in a box.
    manager->setChecksDisabled();
    connect(manager, &QNetworkAccessManager::finished, this, &RequestTableModel::dataFetched);
    // Rows read for the user who has gone are no one else's to see, nor are
    // the answers still on their way to him.
    connect(LoginManager::instance(), &LoginManager::signedIn, this, &RequestTableModel::clear);
}

RequestTableModel::~RequestTableModel()
{
    delete manager;
}

void RequestTableModel::setRequest(const QNetworkRequest &newRequest)
{
    request = newRequest;
}

namespace {

QNetworkRequest authorizedNow(QNetworkRequest request)
{
    if (request.hasRawHeader("Authorization"))
        LoginManager::instance()->authorizeRequest(request);
    return request;
}

}  // namespace

void RequestTableModel::select()
{
    latest.sent(manager->get(authorizedNow(request)));
}

void RequestTableModel::selectSync()
{
    QNetworkReply *reply = latest.sent(manager->get(authorizedNow(request)));
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
    read = false;
    setJson(QJsonDocument());
}

void RequestTableModel::dataFetched(QNetworkReply *reply)
{
    reply->deleteLater();
    if (!latest.isLatest(reply))
        return;
    const QJsonDocument document = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply));
    qCDebug(lomiNetwork) << reply->url() << NetworkLog::masked(document);

    read = !document.isEmpty() && reply->error() == QNetworkReply::NoError
           && !Global::isFailureEnvelope(document);
    setJson(read ? document : QJsonDocument());
    emit selectFinished();
}
