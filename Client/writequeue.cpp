#include "writequeue.h"

#include "global.h"
#include "messagebox.h"

#include <QEventLoop>
#include <QScopedValueRollback>
#include <QNetworkReply>

#include <algorithm>

namespace {

QList<WriteQueue *> &queues()
{
    static QList<WriteQueue *> all;
    return all;
}

bool leaving = false;

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

void WriteQueue::run(const Write &write)
{
    QEventLoop loop;
    bool done = false;
    Write waited = write;
    waited.answered = [&loop, &done, answered = write.answered](QNetworkReply *reply) {
        if (answered)
            answered(reply);
        done = true;
        loop.quit();
    };
    enqueue(waited);
    Global::showPreloader(nullptr);
    if (!done)
        loop.exec(QEventLoop::AllEvents);
    Global::hidePreloader();
}

void WriteQueue::sendNext()
{
    if (sending || waiting.isEmpty())
        return;
    const Write next = waiting.takeFirst();
    sending = true;
    QNetworkReply *reply = network.sendUrl(next.verb, next.url,
                                           next.body ? next.body() : QJsonDocument(), true, false);
    // After the transport's own slot, which has shown the failure box.
    connect(reply, &QNetworkReply::finished, this, [this, reply, next] { answer(reply, next); });
}

void WriteQueue::answer(QNetworkReply *reply, const Write &write)
{
    sending = false;
    // A line that lost one answer is likely to lose the next: the changes
    // behind it are not sent, and the user learns of them in one box rather
    // than after a time-out each.
    QList<Write> dropped;
    if (NetworkManagerWrapper::outcome(reply) == NetworkManagerWrapper::Outcome::Unanswered)
        dropped.swap(waiting);
    if (write.answered)
        write.answered(reply);
    reply->deleteLater();
    QStringList lost;
    for (const Write &never : std::as_const(dropped)) {
        if (never.answered)
            never.answered(nullptr);
        lost << QStringLiteral("• ") + never.label;
    }
    if (waiting.isEmpty())
        emit idled();
    else
        sendNext();
    if (!lost.isEmpty())
        MessageBox::warning(nullptr, QStringLiteral("Изменения не сохранены"),
                            QStringLiteral("Сервер не ответил, и эти изменения не отправлены; они "
                                           "не сохранены:\n%1")
                                .arg(lost.join(QLatin1Char('\n'))),
                            QMessageBox::Ok);
}

bool WriteQueue::isFinishing()
{
    return leaving;
}

void WriteQueue::finishAll()
{
    const QScopedValueRollback<bool> finishingNow(leaving, true);
    for (WriteQueue *queue : std::as_const(queues()))
        emit queue->finishing();
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
