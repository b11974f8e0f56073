#include "modalhandler.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QQueue>

namespace ModalHandler {

namespace {

struct Pending
{
    QString description;
    Handler handler;
};

// What a report of an unexpected dialog says: its class, its title and,
// for a message box, its text.
QString describe(const QDialog *dialog)
{
    QString text = QStringLiteral("%1 \"%2\"").arg(QLatin1String(dialog->metaObject()->className()),
                                                    dialog->windowTitle());
    if (auto *box = qobject_cast<const QMessageBox *>(dialog))
        text += QStringLiteral(": ") + box->text();
    return text;
}

const char *const showingProperty = "modalHandlerShowing";

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
        // A dialog shown again (an editor that stays open until it is
        // valid) is answered again by the next handler.
        const int showing = dialog->property(showingProperty).toInt() + 1;
        dialog->setProperty(showingProperty, showing);
        // Run after the show completes, inside the dialog's own exec() loop.
        QPointer<QDialog> guard(dialog);
        QMetaObject::invokeMethod(
            this,
            [this, guard, showing] {
                if (!guard || !guard->isVisible())
                    return;
                if (!queue.isEmpty() && queue.head().handler(guard.data())) {
                    queue.dequeue();
                    if (guard && guard->isVisible())
                        rejectIfLeftOpen(guard, showing);
                    return;
                }
                unexpected << describe(guard);
                guard->reject();
            },
            Qt::QueuedConnection);
        return false;
    }

    // A check that fails inside a handler returns before the dialog is
    // answered; left open, the dialog would hold the test until the run's
    // time-out. What the handler queued runs first, and a dialog that it
    // opened in turn is answered first.
    void rejectIfLeftOpen(const QPointer<QDialog> &dialog, int showing)
    {
        QMetaObject::invokeMethod(
            this,
            [this, dialog, showing] {
                if (!dialog || !dialog->isVisible()
                    || dialog->property(showingProperty).toInt() != showing)
                    return;
                auto *nested = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                if (nested && nested != dialog) {
                    connect(
                        nested, &QDialog::finished, this,
                        [this, dialog, showing] { rejectIfLeftOpen(dialog, showing); },
                        Qt::SingleShotConnection);
                    return;
                }
                unexpected << describe(dialog) + QStringLiteral(" left open by its handler");
                dialog->reject();
            },
            Qt::QueuedConnection);
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
