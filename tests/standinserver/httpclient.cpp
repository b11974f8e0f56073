#include "httpclient.h"

#include <QBuffer>
#include <QEventLoop>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

bool HttpResult::hasHeader(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QByteArray HttpResult::header(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return {};
}

HttpClient::HttpClient(const QString &rootUrl)
    : root(rootUrl)
{
}

QString HttpClient::signIn(const QString &password)
{
    const QByteArray saved = authorization;
    authorization.clear();
    const HttpResult result =
        post("login", QJsonDocument(QJsonObject{{"password", password}}).toJson());
    const QString token = result.json().object().value("token").toString();
    authorization = token.isEmpty() ? saved : "Bearer " + token.toUtf8();
    return token;
}

HttpResult HttpClient::send(const QByteArray &method, const QString &path, const QByteArray &body,
                            int waitMs)
{
    // Resolved against the root as the client resolves its endpoints.
    QNetworkRequest request(QUrl(root).resolved(QUrl(path)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    if (!authorization.isEmpty())
        request.setRawHeader("Authorization", authorization);

    QBuffer *data = new QBuffer;
    data->setData(body);
    QNetworkReply *reply = manager.sendCustomRequest(request, method, data);
    data->setParent(reply);

    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();

    HttpResult result;
    result.finished = reply->isFinished();
    if (!result.finished)
        reply->abort();
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.error = reply->error();
    if (result.finished)
        result.body = reply->readAll();
    result.headers = reply->rawHeaderPairs();
    reply->deleteLater();
    return result;
}
