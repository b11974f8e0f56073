#pragma once

#include <QList>
#include <QString>

class QWidget;

// The one door through which the program asks the user for a file or a
// folder. Tests queue the answer with setNextFileName() (an empty name is a
// cancelled dialog); with setAnswerUnqueued(true) an unqueued request is
// answered as cancelled instead of opening a window.
class FileDialog
{
public:
    static QString getSaveFileName(QWidget *parent, const QString &caption,
                                   const QString &dir = QString(),
                                   const QString &filter = QString());
    static QString getOpenFileName(QWidget *parent, const QString &caption,
                                   const QString &dir = QString(),
                                   const QString &filter = QString());
    static QString getExistingDirectory(QWidget *parent, const QString &caption,
                                        const QString &dir = QString());

    // Test seam.
    static void setNextFileName(const QString &fileName);
    static void setAnswerUnqueued(bool enabled);
    static int pendingAnswers();
    // Captions of the dialogs answered through the seam, oldest first.
    static QList<QString> history();
    // The paths they proposed (their dir argument), in the same order.
    static QList<QString> proposedPaths();
    static void reset();
};
