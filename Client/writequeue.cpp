#include "writequeue.h"

#include "global.h"

#include <QEventLoop>
#include <QNetworkReply>

#include <algorithm>

namespace {

QList<WriteQueue *> &queues()
{
    static QList<WriteQueue *> all;
    return all;
}

}  // namespace

WriteQueue::WriteQueue(QObject *parent)
    : QObject(parent)
{
    queues().append(this);
}

WriteQueue::~WriteQueue()
{
    queues().removeOne(this);
}

void WriteQueue::enqueue(const Write &write)
{
    waiting.append(write);
    QMetaObject::invokeMethod(this, &WriteQueue::sendNext, Qt::QueuedConnection);
}

void WriteQueue::sendNext()
{
    if (sending || waiting.isEmpty())
        return;
    const Write next = waiting.takeFirst();
    sending = true;
    const QNetworkRequest request = network.prepareRequest(next.url, true);
    const QByteArray body = next.body ? next.body().toJson(QJsonDocument::Indented) : QByteArray();
    QNetworkReply *reply = network.put(request, body);
    // After the transport's own slot, which has shown the failure box.
    connect(reply, &QNetworkReply::finished, this, [this, reply, answered = next.answered] {
        sending = false;
        if (answered)
            answered(reply);
        reply->deleteLater();
        if (waiting.isEmpty())
            emit idled();
        else
            sendNext();
    });
}

void WriteQueue::finishAll()
{
    const auto busy = [] {
        return std::any_of(queues().cbegin(), queues().cend(),
                           [](const WriteQueue *queue) { return !queue->isIdle(); });
    };
    if (!busy())
        return;
    Global::showPreloader(nullptr);
    QEventLoop loop;
    QList<QMetaObject::Connection> connections;
    for (WriteQueue *queue : std::as_const(queues()))
        connections << connect(queue, &WriteQueue::idled, &loop, [&] {
            if (!busy())
                loop.quit();
        });
    loop.exec(QEventLoop::AllEvents);
    for (const QMetaObject::Connection &connection : std::as_const(connections))
        disconnect(connection);
    Global::hidePreloader();
}
