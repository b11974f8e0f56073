#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

// Answers modal dialogs that tests cannot reach through MessageBox/FileDialog
// (record editors, selectors, filter dialogs, the connection dialog).
//
// A handler queued with onNextDialog<T>() runs inside the dialog's own event
// loop as soon as the next dialog of type T is shown; it fills the form and
// accepts or rejects. A modal dialog shown with no handler queued, or left
// open by its handler, is rejected at once and noted in unexpectedDialogs()
// by its class, its title and, for a message box, its text, so a test never
// hangs on it.
namespace ModalHandler {

using Handler = std::function<bool(QDialog *)>;  // false: the dialog was not the expected one

void install();
void reset();
void enqueue(const QString &description, Handler handler);
int pending();
QStringList unexpectedDialogs();

template<class T>
void onNextDialog(std::function<void(T *)> handler)
{
    enqueue(QString::fromLatin1(T::staticMetaObject.className()), [handler](QDialog *dialog) {
        T *typed = qobject_cast<T *>(dialog);
        if (!typed)
            return false;
        handler(typed);
        return true;
    });
}

// Shorthands for the common cases.
template<class T>
void acceptNext()
{
    onNextDialog<T>([](T *d) { d->accept(); });
}

template<class T>
void rejectNext()
{
    onNextDialog<T>([](T *d) { d->reject(); });
}

}  // namespace ModalHandler
