#pragma once

#include "networkmanagerwrapper.h"

#include <QJsonDocument>
#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>

class QNetworkReply;

// The changes a window sends without waiting for them while its user goes
// on working: one at a time, in the order made. They must not outlive that
// user nor the program: finishAll() waits for every queue before another
// user signs in, so that each goes with the credentials of the user who made
// it, and before the program ends.
class WriteQueue : public QObject
{
    Q_OBJECT

public:
    // A record replaced (PUT) at `url`.
    struct Write
    {
        QUrl url;
        // Built when the write is sent, once every earlier one is answered.
        std::function<QJsonDocument()> body;
        // Handed the finished reply, after the transport's box; it is deleted after.
        std::function<void(QNetworkReply *)> answered;
    };

    explicit WriteQueue(QObject *parent = nullptr);
    ~WriteQueue() override;

    // Sent after the caller has returned: a change made in a view's callback
    // must not be sent, nor its answer handled, inside it.
    void enqueue(const Write &write);
    // No write waits to be sent or answered.
    bool isIdle() const { return waiting.isEmpty() && !sending; }

    // Waits, under the busy indicator, until every queue of the program is idle.
    static void finishAll();

signals:
    // The last write answered and none waiting.
    void idled();

private:
    void sendNext();

    NetworkManagerWrapper network;
    QList<Write> waiting;
    bool sending = false;
};
