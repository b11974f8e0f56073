#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

class QWidget;

// The one door through which the program shows message boxes.
//
// Production code calls these instead of QMessageBox's static functions.
// Tests queue answers with setNextAnswer(); a queued answer is returned at
// once without showing a window. With setAnswerUnqueued(true) a box for which
// no answer is queued is not shown either and gets its escape answer (No,
// Cancel or Ok), so a test can never hang on a forgotten box.
class MessageBox
{
public:
    using Button = QMessageBox::StandardButton;
    using Buttons = QMessageBox::StandardButtons;

    struct Record
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        Button answer;
    };

    static Button critical(QWidget *parent, const QString &title, const QString &text,
                           Buttons buttons = QMessageBox::Ok,
                           Button defaultButton = QMessageBox::NoButton);
    static Button warning(QWidget *parent, const QString &title, const QString &text,
                          Buttons buttons = QMessageBox::Ok,
                          Button defaultButton = QMessageBox::NoButton);
    static Button information(QWidget *parent, const QString &title, const QString &text,
                              Buttons buttons = QMessageBox::Ok,
                              Button defaultButton = QMessageBox::NoButton);
    static Button question(QWidget *parent, const QString &title, const QString &text,
                           Buttons buttons = Buttons(QMessageBox::Yes | QMessageBox::No),
                           Button defaultButton = QMessageBox::NoButton);

    // Test seam.
    static void setNextAnswer(Button answer);
    static void setAnswerUnqueued(bool enabled);
    static int pendingAnswers();
    // Boxes answered through the seam, oldest first.
    static QList<Record> history();
    static void clearHistory();
    static void reset();  // clears queued answers and history

private:
    static Button show(QMessageBox::Icon icon, QWidget *parent, const QString &title,
                       const QString &text, Buttons buttons, Button defaultButton);
};
