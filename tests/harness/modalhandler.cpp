#include "modalhandler.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QQueue>

namespace ModalHandler {

namespace {

struct Pending
{
    QString description;
    Handler handler;
};

class Filter : public QObject
{
public:
    QQueue<Pending> queue;
    QStringList unexpected;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (!dialog || !dialog->isWindow() || !dialog->isModal())
            return false;
        // Run after the show completes, inside the dialog's own exec() loop.
        QPointer<QDialog> guard(dialog);
        QMetaObject::invokeMethod(
            this,
            [this, guard] {
                if (!guard || !guard->isVisible())
                    return;
                if (!queue.isEmpty() && queue.head().handler(guard.data())) {
                    queue.dequeue();
                    return;
                }
                unexpected << QString::fromLatin1(guard->metaObject()->className());
                guard->reject();
            },
            Qt::QueuedConnection);
        return false;
    }
};

Filter *filter()
{
    static Filter *instance = nullptr;
    if (!instance)
        instance = new Filter;
    return instance;
}

}  // namespace

void install()
{
    qApp->installEventFilter(filter());
}

void reset()
{
    filter()->queue.clear();
    filter()->unexpected.clear();
}

void enqueue(const QString &description, Handler handler)
{
    filter()->queue.enqueue({description, std::move(handler)});
}

int pending()
{
    return filter()->queue.size();
}

QStringList unexpectedDialogs()
{
    return filter()->unexpected;
}

}  // namespace ModalHandler
