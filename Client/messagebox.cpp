#include "messagebox.h"

#include <QQueue>

namespace {

struct Seam
{
    QQueue<MessageBox::Button> answers;
    QList<MessageBox::Record> history;
    bool answerUnqueued = false;
};

Seam &seam()
{
    static Seam instance;
    return instance;
}

// The answer a user gives by pressing Escape or closing the box.
MessageBox::Button escapeAnswer(MessageBox::Buttons buttons)
{
    for (auto b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Abort, QMessageBox::Close,
                   QMessageBox::Ok}) {
        if (buttons.testFlag(b))
            return b;
    }
    return QMessageBox::NoButton;
}

}  // namespace

MessageBox::Button MessageBox::show(QMessageBox::Icon icon, QWidget *parent, const QString &title,
                                    const QString &text, Buttons buttons, Button defaultButton)
{
    Seam &s = seam();
    if (!s.answers.isEmpty() || s.answerUnqueued) {
        const Button answer = s.answers.isEmpty() ? escapeAnswer(buttons) : s.answers.dequeue();
        s.history.append({icon, title, text, answer});
        return answer;
    }

    QMessageBox box(icon, title, text, buttons, parent);
    // Texts often carry the server's message or a record's name, and no box
    // of ours is written as markup: shown as rich text, such a text could
    // load files or show links.
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    const int result = box.exec();
    // Closing the window reports the escape button; anything else is a pressed one.
    return result == -1 ? escapeAnswer(buttons) : static_cast<Button>(result);
}

MessageBox::Button MessageBox::critical(QWidget *parent, const QString &title, const QString &text,
                                        Buttons buttons, Button defaultButton)
{
    return show(QMessageBox::Critical, parent, title, text, buttons, defaultButton);
}

MessageBox::Button MessageBox::warning(QWidget *parent, const QString &title, const QString &text,
                                       Buttons buttons, Button defaultButton)
{
    return show(QMessageBox::Warning, parent, title, text, buttons, defaultButton);
}

MessageBox::Button MessageBox::information(QWidget *parent, const QString &title,
                                           const QString &text, Buttons buttons,
                                           Button defaultButton)
{
    return show(QMessageBox::Information, parent, title, text, buttons, defaultButton);
}

MessageBox::Button MessageBox::question(QWidget *parent, const QString &title, const QString &text,
                                        Buttons buttons, Button defaultButton)
{
    return show(QMessageBox::Question, parent, title, text, buttons, defaultButton);
}

void MessageBox::setNextAnswer(Button answer)
{
    seam().answers.enqueue(answer);
}

void MessageBox::setAnswerUnqueued(bool enabled)
{
    seam().answerUnqueued = enabled;
}

int MessageBox::pendingAnswers()
{
    return seam().answers.size();
}

QList<MessageBox::Record> MessageBox::history()
{
    return seam().history;
}

void MessageBox::clearHistory()
{
    seam().history.clear();
}

void MessageBox::reset()
{
    seam().answers.clear();
    seam().history.clear();
}
