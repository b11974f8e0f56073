#include "filedialog.h"

#include <QFileDialog>
#include <QQueue>

namespace {

struct FileDialogSeam
{
    QQueue<QString> answers;
    QList<QString> history;
    QList<QString> proposed;
    bool answerUnqueued = false;
};

FileDialogSeam &fileDialogSeam()
{
    static FileDialogSeam instance;
    return instance;
}

// Returns true and sets `answer` when the seam answers instead of a window.
bool answeredBySeam(const QString &caption, QString *answer, const QString &dir)
{
    FileDialogSeam &s = fileDialogSeam();
    if (s.answers.isEmpty() && !s.answerUnqueued)
        return false;
    *answer = s.answers.isEmpty() ? QString() : s.answers.dequeue();
    s.history.append(caption);
    s.proposed.append(dir);
    return true;
}

}  // namespace

QString FileDialog::getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter)
{
    QString answer;
    if (answeredBySeam(caption, &answer, dir))
        return answer;
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString FileDialog::getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter)
{
    QString answer;
    if (answeredBySeam(caption, &answer, dir))
        return answer;
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString FileDialog::getExistingDirectory(QWidget *parent, const QString &caption,
                                         const QString &dir)
{
    QString answer;
    if (answeredBySeam(caption, &answer, dir))
        return answer;
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

void FileDialog::setNextFileName(const QString &fileName)
{
    fileDialogSeam().answers.enqueue(fileName);
}

void FileDialog::setAnswerUnqueued(bool enabled)
{
    fileDialogSeam().answerUnqueued = enabled;
}

int FileDialog::pendingAnswers()
{
    return fileDialogSeam().answers.size();
}

QList<QString> FileDialog::history()
{
    return fileDialogSeam().history;
}

QList<QString> FileDialog::proposedPaths()
{
    return fileDialogSeam().proposed;
}

void FileDialog::reset()
{
    fileDialogSeam().answers.clear();
    fileDialogSeam().history.clear();
    fileDialogSeam().proposed.clear();
}
