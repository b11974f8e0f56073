#include "writequeue.h"

#include "global.h"
#include "messagebox.h"

#include <QEventLoop>
#include <QScopedValueRollback>
#include <QNetworkReply>

#include <algorithm>
#include <utility>

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
    network.setChecksDisabled();
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
    // Set before the body is built: building may read, and a write queued
    // meanwhile must wait for this one.
    sending = true;
    const std::optional<QJsonDocument> body = next.body ? next.body() : QJsonDocument();
    if (!body) {
        sending = false;
        QList<Write> dropped{next};
        dropped.append(std::exchange(waiting, {}));
        wrapUp(dropped,
               QStringLiteral("Что сервер хранит после изменения, оставшегося без ответа, не "
                              "прочитано, и эти изменения не отправлены; они не сохранены:"),
               QString(), QString());
        return;
    }
    // The transport's box is shown by answer(), which knows whether the user is leaving.
    QNetworkReply *reply = network.sendUrl(next.verb, next.url, *body, true, false);
    connect(reply, &QNetworkReply::finished, this, [this, reply, next] { answer(reply, next); });
}

void WriteQueue::answer(QNetworkReply *reply, const Write &write)
{
    using Outcome = NetworkManagerWrapper::Outcome;
    sending = false;
    const Outcome outcome = NetworkManagerWrapper::outcome(reply);
    // The line is down, whether it lost the answer or let nothing through.
    const bool down = outcome == Outcome::Unanswered || outcome == Outcome::NotSent;
    // A user who is leaving learns of it in the one box that names his
    // changes, in his words, not in one that names an address.
    const bool namedLater = down && leaving;
    if (!namedLater)
        NetworkManagerWrapper::reportFailure(reply);
    // A line that failed one change is likely to fail the next: the changes
    // behind it are not sent, and the user learns of them in one box rather
    // than after a time-out each.
    QList<Write> dropped;
    if (down)
        dropped.swap(waiting);
    if (write.answered)
        write.answered(reply);
    reply->deleteLater();
    // The server that sent the change elsewhere did answer.
    const QString why = NetworkManagerWrapper::stoppedAtRedirect(reply)
                            ? QStringLiteral("Сервер перенаправил изменение, и оно не отправлено дальше; эти "
                                             "изменения не отправлены, они не сохранены:")
                            : QStringLiteral("Сервер не ответил, и эти изменения не отправлены; они не "
                                             "сохранены:");
    wrapUp(dropped, namedLater ? QStringLiteral("Эти изменения не отправлены; они не сохранены:") : why,
           namedLater && outcome == Outcome::Unanswered ? write.label : QString(),
           namedLater && outcome == Outcome::NotSent ? write.label : QString());
}

void WriteQueue::wrapUp(const QList<Write> &dropped, const QString &reason,
                        const QString &unanswered, const QString &notSent)
{
    QStringList lost;
    if (!notSent.isEmpty())
        lost << QStringLiteral("• ") + notSent;
    for (const Write &never : dropped) {
        if (never.answered)
            never.answered(nullptr);
        lost << QStringLiteral("• ") + never.label;
    }
    if (waiting.isEmpty())
        emit idled();
    else
        sendNext();
    QStringList text;
    if (!unanswered.isEmpty())
        text << QStringLiteral("Сервер не ответил на это изменение; оно могло не сохраниться:")
             << QStringLiteral("• ") + unanswered;
    if (!lost.isEmpty())
        text << reason << lost;
    if (!text.isEmpty())
        MessageBox::warning(nullptr, QStringLiteral("Изменения не сохранены"),
                            text.join(QLatin1Char('\n')), QMessageBox::Ok);
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
