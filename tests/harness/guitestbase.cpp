#include "guitestbase.h"

#include "filedialog.h"
#include "loginmanager.h"
#include "modalhandler.h"
#include "requesttablemodel.h"
#include "saveloop.h"

#include <previewdialog.h>

#include <QAction>
#include <QDialog>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using ReportEngine::PreviewDialog;

namespace {

// The option set-up of a styled delegate is protected; this reaches it.
struct OptionAccess : QStyledItemDelegate
{
    static void init(const QStyledItemDelegate *delegate, QStyleOptionViewItem *option,
                     const QModelIndex &index)
    {
        (delegate->*(&OptionAccess::initStyleOption))(option, index);
    }
};

}  // namespace

void GuiTestBase::resetSeams(bool answerUnqueued)
{
    MessageBox::reset();
    MessageBox::setAnswerUnqueued(answerUnqueued);
    FileDialog::reset();
    FileDialog::setAnswerUnqueued(answerUnqueued);
    PreviewDialog::reset();
    ModalHandler::reset();
}

void GuiTestBase::init()
{
    resetSeams(false);
    // A write an earlier test left without an answer is no concern of this one.
    SaveLoop::forgetAllForTesting();
    if (env)
        server().clearFailures();
    initTest();
    // The test's record starts after its set-up.
    if (env)
        server().clearRequests();
}

void GuiTestBase::cleanup()
{
    cleanupTest();
    const QStringList unanswered = ModalHandler::unexpectedDialogs();
    const QStringList unused = unusedAnswers();
    resetSeams(true);
    QVERIFY2(unanswered.isEmpty(), qPrintable("Unanswered: " + unanswered.join("; ")));
    // A failed test leaves its answers unused; that says nothing new.
    if (!QTest::currentTestFailed())
        QVERIFY2(unused.isEmpty(), qPrintable("Queued and never used: " + unused.join(", ")));
}

QStringList GuiTestBase::unusedAnswers()
{
    QStringList unused;
    if (ModalHandler::pending() > 0)
        unused << QStringLiteral("%1 modal dialog handler(s)").arg(ModalHandler::pending());
    if (MessageBox::pendingAnswers() > 0)
        unused << QStringLiteral("%1 message box answer(s)").arg(MessageBox::pendingAnswers());
    if (FileDialog::pendingAnswers() > 0)
        unused << QStringLiteral("%1 file name(s)").arg(FileDialog::pendingAnswers());
    if (PreviewDialog::pendingResults() > 0)
        unused << QStringLiteral("%1 preview result(s)").arg(PreviewDialog::pendingResults());
    return unused;
}

TestEnvironment &GuiTestBase::startServer(const QJsonObject &fixture)
{
    env = fixture.isEmpty() ? std::make_unique<TestEnvironment>()
                            : std::make_unique<TestEnvironment>(fixture);
    return *env;
}

QJsonObject GuiTestBase::fixtureFile(const QString &path)
{
    QJsonObject data;
    QString error;
    if (!StandIn::Server().readFixture(path, &data, &error))
        qFatal("%s", qPrintable(error));
    return data;
}

GuiTestBase::FullDisk::FullDisk(quint64 bytes)
{
    // A write past the limit fails with EFBIG instead of killing the run.
    savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    savedLimit = limit.rlim_cur;
    limit.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        qFatal("setrlimit(RLIMIT_FSIZE) failed");
}

GuiTestBase::FullDisk::~FullDisk()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = savedLimit;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, savedHandler);
}

QByteArray GuiTestBase::bearer()
{
    return "Bearer " + LoginManager::instance()->getToken().toUtf8();
}

QTableView *GuiTestBase::tableOf(QWidget *list)
{
    if (auto *view = qobject_cast<QTableView *>(list))
        return view;
    return list->findChild<QTableView *>(QStringLiteral("tableView"));
}

RequestTableModel *GuiTestBase::sourceModel(QWidget *list)
{
    QAbstractItemModel *model = tableOf(list)->model();
    if (auto *proxy = qobject_cast<QSortFilterProxyModel *>(model))
        model = proxy->sourceModel();
    return qobject_cast<RequestTableModel *>(model);
}

QList<int> GuiTestBase::shownIds(QWidget *list)
{
    const QAbstractItemModel *model = tableOf(list)->model();
    QList<int> ids;
    for (int row = 0; row < model->rowCount(); ++row)
        ids << model->index(row, 0).data().toInt();
    return ids;
}

int GuiTestBase::rowOf(QWidget *list, int id)
{
    return shownIds(list).indexOf(id);
}

bool GuiTestBase::selectId(QWidget *list, int id)
{
    const int row = rowOf(list, id);
    if (row >= 0)
        tableOf(list)->selectRow(row);
    return row >= 0;
}

QLineEdit *GuiTestBase::cellEditor(QTableView *view)
{
    const QList<QLineEdit *> editors = view->viewport()->findChildren<QLineEdit *>();
    for (QLineEdit *editor : editors)
        if (!editor->isHidden())  // closed ones wait hidden for their deletion
            return editor;
    return nullptr;
}

void GuiTestBase::doubleClick(QTableView *view, const QModelIndex &cell)
{
    const QPoint at = view->visualRect(cell).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
}

QStyleOptionViewItem GuiTestBase::styleOption(const QAbstractItemDelegate *delegate,
                                              const QModelIndex &index)
{
    QStyleOptionViewItem option;
    if (auto *styled = qobject_cast<const QStyledItemDelegate *>(delegate))
        OptionAccess::init(styled, &option, index);
    else
        option.text = QStringLiteral("<no styled delegate>");
    return option;
}

bool GuiTestBase::reloadsAfter(QWidget *list, const std::function<void()> &action)
{
    QSignalSpy loaded(sourceModel(list), &RequestTableModel::selectFinished);
    action();
    return loaded.wait(5000);
}

bool GuiTestBase::settlesAfter(QNetworkAccessManager &manager, const std::function<void()> &action)
{
    QSignalSpy finished(&manager, &QNetworkAccessManager::finished);
    action();
    const auto inFlight = [&manager] {
        const QList<QNetworkReply *> replies = manager.findChildren<QNetworkReply *>(Qt::FindDirectChildrenOnly);
        return std::any_of(replies.begin(), replies.end(), [](const QNetworkReply *reply) { return !reply->isFinished(); });
    };
    // The owners' slots run as the manager's finished() is emitted, and a
    // request they send is in flight when the wait looks again.
    return QTest::qWaitFor([&] { return !finished.isEmpty() && !inFlight(); }, 5000);
}

QWidget *GuiTestBase::openList(QWidget *mainWindow, const char *action)
{
    auto *entry = mainWindow->findChild<QAction *>(QString::fromLatin1(action));
    if (!entry || !entry->isEnabled())
        return nullptr;
    entry->trigger();
    QMdiSubWindow *frame = mainWindow->findChild<QMdiArea *>()->activeSubWindow();
    QWidget *list = frame ? frame->widget() : nullptr;
    // The entry has sent the load; its reply is read in the wait.
    if (!list || !tableOf(list) || !QSignalSpy(sourceModel(list), &RequestTableModel::selectFinished).wait(5000))
        return nullptr;
    return list;
}

QPushButton *GuiTestBase::button(QWidget *parent, const char *name)
{
    return parent->findChild<QPushButton *>(QString::fromLatin1(name));
}

void GuiTestBase::press(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    auto *box = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QVERIFY(box);
    box->button(which)->click();
}

void GuiTestBase::fillIn(QWidget *form, const char *lineEdit, const QString &text)
{
    auto *edit = form->findChild<QLineEdit *>(QString::fromLatin1(lineEdit));
    QVERIFY2(edit, lineEdit);
    edit->setText(text);
}

QString GuiTestBase::fieldText(QWidget *form, const char *lineEdit)
{
    auto *edit = form->findChild<QLineEdit *>(QString::fromLatin1(lineEdit));
    return edit ? edit->text() : QStringLiteral("<no %1>").arg(QLatin1String(lineEdit));
}

void GuiTestBase::typeInto(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QList<MessageBox::Record> GuiTestBase::boxesTitled(const QString &title)
{
    QList<MessageBox::Record> boxes;
    for (const MessageBox::Record &record : MessageBox::history()) {
        if (record.title == title)
            boxes << record;
    }
    return boxes;
}

QStringList GuiTestBase::boxTexts(const QString &title)
{
    QStringList texts;
    for (const MessageBox::Record &record : boxesTitled(title))
        texts << record.text;
    return texts;
}

QByteArray GuiTestBase::indented(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}
