#pragma once

#include "networkmanagerwrapper.h"

#include <QJsonDocument>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkReply;

// The changes a window sends while its user goes on working: one at a time,
// in the order made, each built only when it is sent. They must not outlive
// that user nor the program: finishAll() sends and waits for every queue
// before another user signs in, so that each goes with the credentials of
// the user who made it, and before the program ends.
class WriteQueue : public QObject
{
    Q_OBJECT

public:
    struct Write
    {
        QNetworkAccessManager::Operation verb = QNetworkAccessManager::PutOperation;
        QUrl url;
        // Built when the write is sent, once every earlier one is answered;
        // none for a DELETE. No value when it cannot be built, as when what
        // it is built on could not be read: it is then not sent, nor are the
        // writes behind it, and the user is told so.
        std::function<std::optional<QJsonDocument>()> body;
        // Handed the finished reply, after the transport's box; it is deleted
        // after. Null for a write never sent: one that waited behind a write
        // the line gave no answer to.
        std::function<void(QNetworkReply *)> answered;
        // The change in the user's words ("Козлова Ирина Павловна: RV"), for
        // the box that names the changes a failed line kept from being sent.
        QString label;
    };

    explicit WriteQueue(QObject *parent = nullptr);
    ~WriteQueue() override;

    // Sent after the caller has returned: a change made in a view's callback
    // must not be sent, nor its answer handled, inside it.
    void enqueue(const Write &write);
    // Sent after every write queued before it; waits under the busy indicator
    // until it is answered or dropped.
    void run(const Write &write);
    // No write waits to be sent or answered.
    bool isIdle() const { return waiting.isEmpty() && !sending; }

    // Has every queue of the program send what its user still holds (see
    // finishing()) and waits, under the busy indicator, until all are idle:
    // at most one time-out, as a write without an answer drops the writes
    // behind it. One box then names every change not known to be saved,
    // the one that got no answer among them; nothing is read meanwhile.
    static void finishAll();
    // Whether finishAll() is waiting: the user who made the changes is
    // leaving, and no read is started for them.
    static bool isFinishing();

signals:
    // The last write answered and none waiting.
    void idled();
    // The user who made the changes is about to leave (another signs in, or
    // the program ends): a change he has begun and not yet queued, such as
    // a value still in a cell's editor, is queued now or dropped.
    void finishing();

private:
    void sendNext();
    void answer(QNetworkReply *reply, const Write &write);
    // After a write: `dropped` were not sent, and of the write itself, when
    // the user was leaving, `unanswered` names one whose answer was lost and
    // `notSent` one that never left.
    void wrapUp(const QList<Write> &dropped, const QString &reason, const QString &unanswered,
                const QString &notSent);

    NetworkManagerWrapper network;
    QList<Write> waiting;
    bool sending = false;
};
