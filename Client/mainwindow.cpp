#include "mainwindow.h"

#include "auditexportdialog.h"
#include "auditviewwidget.h"
#include "checkouthourwidget.h"
#include "contractsjournalwidget.h"
#include "curriculumeditdialog.h"
#include "directorycolumns.h"
#include "extraservicesviewwidget.h"
#include "districteditdialog.h"
#include "export1cdialog.h"
#include "filedialog.h"
#include "global.h"
#include "importmanagerwidget.h"
#include "messagebox.h"
#include "organizationinfowidget.h"
#include "organizationseditdialog.h"
#include "paytypeeditdialog.h"
#include "permissionmanager.h"
#include "permissionsaware.h"
#include "personsviewwidget.h"
#include "positioneditdialog.h"
#include "propertyeditdialog.h"
#include "propertyjournalwidget.h"
#include "rateeditdialog.h"
#include "receiptsjournalwidget.h"
#include "regioneditdialog.h"
#include "roomsviewwidget.h"
#include "simpleviewwidget.h"
#include "streameditdialog.h"
#include "subwindowsawarewidget.h"
#include "ui_mainwindow.h"
#include "userswidget.h"
#include "writequeue.h"

#include <QEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QNetworkReply>
#include <QSaveFile>
#include <QTextStream>
#include <QTimer>

#include <memory>

namespace {

// The lists and journals reload by their slot of that name; a person card
// reads again on its own at a change of user, and has none.
void askToReload(QWidget *window)
{
    if (window->metaObject()->indexOfMethod("handleUpdate()") >= 0)
        QMetaObject::invokeMethod(window, "handleUpdate");
}

}  // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , connectionChecker(nullptr)
    , personReport(nullptr)
    , roomsReport(nullptr)
    , paymentsReport(nullptr)
    , contractPaymentsReport(nullptr)
    , paidEducationPaymentsReport(nullptr)
    , cassReport(nullptr)
    , summaryCassReport(nullptr)
    , nightsReport(nullptr)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("ЛОМИ II v.1.1.0.0"));

    connect(ui->minimizeChildButton, &QPushButton::clicked, this, &MainWindow::minimizeChild);
    connect(ui->restoreChildButton, &QPushButton::clicked, this, &MainWindow::restoreChild);
    connect(ui->closeChildButton, &QPushButton::clicked, this, [this] { closeChild(nullptr); });
    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this, &MainWindow::unminimizeChild);
    connect(&loginWrapper, &LoginWrapper::loginCompleted, this, &MainWindow::updateLogin);
    connect(ui->changeUserButton, &QPushButton::clicked, this, &MainWindow::relogin);

    registerWindows();

    connect(PermissionManager::instance(), &PermissionManager::permissionsUpdated, this,
            &MainWindow::updatePermissions);

    refreshChildControlButtons();
    ui->registerPersonAction->activate(QAction::Trigger);
}

MainWindow::~MainWindow()
{
    // The sub-window area reports a change of active window while the base
    // destructor takes it apart, when this object is no longer a MainWindow.
    disconnect(ui->mdiArea, nullptr, this, nullptr);
    for (const QPointer<QWidget> &widget : std::as_const(ownedWidgets))
        delete widget.data();
    delete ui;
}

void MainWindow::registerWindows()
{
    // Windows are registered here, in menu order, as they become available.
    registerDirectory(ui->districtsAction, QStringLiteral("Округа"), QStringLiteral("districts"),
                      DirectoryColumns::districts(), new DistrictEditDialog,
                      QStringLiteral("districts"));
    registerDirectory(ui->regionsAction, QStringLiteral("Регионы"), QStringLiteral("regions"),
                      DirectoryColumns::regions(), new RegionEditDialog, QStringLiteral("regions"));
    registerDirectory(ui->positionsAction, QStringLiteral("Должности"), QStringLiteral("positions"),
                      DirectoryColumns::positions(), new PositionEditDialog,
                      QStringLiteral("positions"));
    registerDirectory(ui->organizationAction, QStringLiteral("Организации"),
                      QStringLiteral("organizations"), DirectoryColumns::organizations(),
                      new OrganizationsEditDialog, QStringLiteral("organizations"));
    registerDirectory(ui->registerCurriculumAction, QStringLiteral("Программы обучения"),
                      QStringLiteral("curriculums"), DirectoryColumns::curriculums(),
                      new CurriculumEditDialog, QStringLiteral("curriculums"));
    registerDirectory(ui->registerStreamAction, QStringLiteral("Потоки"), QStringLiteral("streams"),
                      DirectoryColumns::streams(), new StreamEditDialog, QStringLiteral("streams"));
    registerDirectory(ui->ratesAction, QStringLiteral("Тарифы"), QStringLiteral("rates"),
                      DirectoryColumns::rates(), new RateEditDialog, QStringLiteral("rates"));
    // Read from "pay_type" but guarded by "payTypes".
    registerDirectory(ui->payTypeAction, QStringLiteral("Способ оплаты"), QStringLiteral("pay_type"),
                      DirectoryColumns::payTypes(), new PayTypeEditDialog,
                      QStringLiteral("payTypes"));

    registerSubwidget(new CheckoutHourWidget, ui->payHourAction);
    registerSubwidget(new OrganizationInfoWidget, ui->orgInfoAction);

    connect(ui->receiptNumAction, &QAction::triggered, this, [this] {
        receiptNumerationDialog.handleUpdate();
        receiptNumerationDialog.show();
    });

    connect(ui->export1CAction, &QAction::triggered, this, &MainWindow::export1C);

    // Read from "properties" but guarded by "property"; sorted by name.
    registerDirectory(ui->propertyAction, QStringLiteral("Имущество"), QStringLiteral("properties"),
                      DirectoryColumns::properties(), new PropertyEditDialog,
                      QStringLiteral("property"), 1);

    registerSubwidget(new ReceiptsJournalWidget, ui->receiptsJournalAction);
    registerSubwidget(new PropertyJournalWidget, ui->propertyJournalAction);
    registerSubwidget(new ContractsJournalWidget, ui->contractJournalAction);

    registerSubwidget(new AuditViewWidget, ui->auditAction);
    registerSubwidget(new PersonsViewWidget, ui->registerPersonAction);

    registerSubwidget(new RoomsViewWidget, ui->roomsAction);
    registerSubwidget(new ExtraServicesViewWidget, ui->extraServicesAction);
    registerSubwidget(new UsersWidget, ui->usersAction);
    registerSubwidget(new ImportManagerWidget, ui->importAction);

    // The reports run from their entries; they are not child windows.
    connect(ui->personReportAction, &QAction::triggered, &personReport, &ExtendedReport::exec);
    connect(ui->roomsReportAction, &QAction::triggered, &roomsReport, &ExtendedReport::exec);
    connect(ui->paymentsReportAction, &QAction::triggered, &paymentsReport, &ExtendedReport::exec);
    connect(ui->contractPaymentsReportAction, &QAction::triggered, &contractPaymentsReport,
            &ExtendedReport::exec);
    connect(ui->paidEducationPaymentsReportAction, &QAction::triggered,
            &paidEducationPaymentsReport, &ExtendedReport::exec);
    connect(ui->cassReportAction, &QAction::triggered, &cassReport, &ExtendedReport::exec);
    connect(ui->svodCassReportAction, &QAction::triggered, &summaryCassReport, &ExtendedReport::exec);
    connect(ui->nightsReportAction, &QAction::triggered, &nightsReport, &ExtendedReport::exec);

    connect(ui->exportAuditAction, &QAction::triggered, this, &MainWindow::exportAudit);
}

void MainWindow::registerDirectory(QAction *action, const QString &title, const QString &endpoint,
                                   const DirectoryColumns &columns, EditDialog *editor,
                                   const QString &node, int sortColumn)
{
    auto builder = SimpleViewWidget::Builder::create();
    builder->withTitle(title)
        ->withEndpoint(endpoint)
        ->withHeaders(columns.headers())
        ->withEditDialog(owned(editor))
        ->withItemDelegates(columns.delegates());
    if (sortColumn >= 0)
        builder->sortBy(sortColumn, Qt::AscendingOrder);
    registerSubwidget(builder->requires(node)->build(), action);
}

void MainWindow::registerSubwidget(QWidget *widget, QAction *action)
{
    owned(widget);
    widget->setAttribute(Qt::WA_DeleteOnClose, false);
    widget->installEventFilter(this);

    if (action) {
        connect(action, &QAction::triggered, this, [this, widget] { openChild(widget); });
        if (auto *aware = dynamic_cast<PermissionsAware *>(widget)) {
            actionMap[aware->getPermissionNode()].append(action);
            nodes.insert(widget, aware->getPermissionNode());
        }
    }

    if (auto *aware = qobject_cast<SubwindowsAwareWidget *>(widget)) {
        connect(aware, &SubwindowsAwareWidget::addingSubwindow, this, [this, widget](QWidget *sub) {
            if (nodes.contains(widget))
                nodes.insert(sub, nodes.value(widget));
            openChild(sub);
        });
        connect(aware, &SubwindowsAwareWidget::closingSubwindow, this, &MainWindow::closeChild);
    }
}

QMdiSubWindow *MainWindow::topmostMaximized() const
{
    const auto windows = ui->mdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if ((*it)->isMaximized())
            return *it;
    }
    return nullptr;
}

QMdiSubWindow *MainWindow::subWindowOf(QWidget *widget) const
{
    const auto windows = ui->mdiArea->subWindowList(QMdiArea::StackingOrder);
    for (QMdiSubWindow *window : windows) {
        if (window->widget() == widget)
            return window;
    }
    return nullptr;
}

void MainWindow::openChild(QWidget *widget)
{
    if (QMdiSubWindow *existing = subWindowOf(widget)) {
        ui->mdiArea->setActiveSubWindow(existing);
        if (widget->isMinimized())
            widget->showMaximized();
        return;
    }
    ui->mdiArea->addSubWindow(widget);
    widget->showMaximized();
    askToReload(widget);
}

void MainWindow::closeChild(QWidget *widget)
{
    // A child named by the caller is taken out of its frame whatever its
    // state: a frame closed with its child inside would delete the child,
    // and the child is reused for the whole run. The top bar's button (no
    // widget) closes the topmost maximised child.
    QMdiSubWindow *frame = widget ? subWindowOf(widget) : topmostMaximized();
    if (!frame)
        return;
    QWidget *child = frame->widget();
    ui->mdiArea->removeSubWindow(child);
    frame->close();
    if (child)
        child->close();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return false;
    if (event->type() == QEvent::Close) {
        closeChild(widget);
        QTimer::singleShot(10, this, &MainWindow::refreshChildControlButtons);
    } else if (event->type() == QEvent::WindowStateChange) {
        QTimer::singleShot(10, this, &MainWindow::refreshChildControlButtons);
    }
    return false;
}

void MainWindow::minimizeChild()
{
    if (QMdiSubWindow *frame = topmostMaximized())
        frame->showMinimized();
}

void MainWindow::restoreChild()
{
    if (QMdiSubWindow *frame = topmostMaximized()) {
        if (frame->widget())
            frame->widget()->showNormal();
    }
}

void MainWindow::unminimizeChild(QMdiSubWindow *subWindow)
{
    if (subWindow && subWindow->isMinimized())
        subWindow->showNormal();
}

void MainWindow::refreshChildControlButtons()
{
    bool anyMaximized = false;
    const auto windows = ui->mdiArea->subWindowList();
    for (QMdiSubWindow *window : windows)
        anyMaximized = anyMaximized || window->isMaximized();
    ui->minimizeChildButton->setVisible(anyMaximized);
    ui->restoreChildButton->setVisible(anyMaximized);
    ui->closeChildButton->setVisible(anyMaximized);
}

void MainWindow::updatePermissions()
{
    const PermissionManager *permissions = PermissionManager::instance();
    for (auto it = actionMap.cbegin(); it != actionMap.cend(); ++it) {
        const bool readable = permissions->canRead(it.key());
        for (QAction *action : it.value())
            action->setEnabled(readable);
    }
    ui->receiptNumAction->setEnabled(permissions->canRead(QStringLiteral("receiptNumber")));
    ui->exportAuditAction->setEnabled(permissions->canRead(QStringLiteral("audit")));
}

void MainWindow::closeUnreadable()
{
    const PermissionManager *permissions = PermissionManager::instance();
    QWidgetList unreadable;
    const auto windows = ui->mdiArea->subWindowList();
    for (QMdiSubWindow *window : windows) {
        const auto node = nodes.constFind(window->widget());
        if (node != nodes.cend() && !permissions->canRead(*node))
            unreadable << window->widget();
    }
    for (QWidget *widget : std::as_const(unreadable))
        closeChild(widget);
    if (!permissions->canRead(QStringLiteral("receiptNumber")))
        receiptNumerationDialog.close();
}

void MainWindow::updateLogin()
{
    ui->currentUserLabel->setText(LoginManager::instance()->getName());
    // Before anything reloads: a window the new user may not read would
    // fetch its data with the new user's token and show it.
    closeUnreadable();
    const auto windows = ui->mdiArea->subWindowList(QMdiArea::StackingOrder);
    for (QMdiSubWindow *window : windows) {
        if (window->widget())
            askToReload(window->widget());
    }
    // Left open, it would offer to store the number it read before, which
    // receipts issued since have passed.
    if (receiptNumerationDialog.isVisible())
        receiptNumerationDialog.handleUpdate();
    if (!isVisible())
        showMaximized();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A change the windows show as made is still on its way: it is sent
    // and answered before the program ends, never dropped without a word.
    WriteQueue::finishAll();
    // A window of its own left open (the sign-in window, the receipt
    // numbering, the persons' "Информация") would keep the program running
    // after its main window is gone.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->isVisible())
            window->close();
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::relogin()
{
    // The user leaving learns what became of his changes while he is still
    // here, not the next one after signing in. The windows stay his to work
    // in until then, and the sign-in finishes whatever he does meanwhile.
    WriteQueue::finishAll();
    loginWrapper.start();
}

void MainWindow::exportAudit()
{
    AuditExportDialog dialog;
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int id = dialog.getId();

    const QString fileName = FileDialog::getSaveFileName(
        this, QStringLiteral("Экспорт журнала аудита"),
        QStringLiteral("audit_person_%1.txt").arg(id), QStringLiteral("*.txt"));
    if (fileName.isEmpty())
        return;

    QNetworkReply *reply = manager.getUrl(
        QUrl(Global::endpoint(QStringLiteral("/audit?target=%1").arg(id))), true, true);
    const QByteArray body = NetworkManagerWrapper::readBody(reply);
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    reply->deleteLater();
    if (error != QNetworkReply::NoError) {
        MessageBox::critical(this, QStringLiteral("Error"),
                             QStringLiteral("Failed to fetch audit: ") + errorText);
        return;
    }
    // The server's failure envelope arrives as a success; exported, it
    // would be an empty file reported as a success.
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (Global::isFailureEnvelope(document)) {
        MessageBox::critical(this, QStringLiteral("Error"),
                             QStringLiteral("Failed to fetch audit: ")
                                 + NetworkManagerWrapper::serverMessage(document));
        return;
    }

    // Written whole or not at all, like the other exports.
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Text);
    if (written) {
        QTextStream out(&file);
        const QJsonArray entries = document.array();
        for (const QJsonValue &value : entries) {
            const QJsonObject entry = value.toObject();
            out << QStringLiteral("[%1] (%2) %3")
                       .arg(Global::formatDateTime(entry.value(QStringLiteral("when")).toString()),
                            entry.value(QStringLiteral("where")).toString(),
                            entry.value(QStringLiteral("what")).toString())
                << '\n';
        }
        out.flush();
        written = Global::commitFile(file);
    }
    if (!written) {
        MessageBox::critical(this, QStringLiteral("Ошибка"),
                             QStringLiteral("Не удалось записать файл %1").arg(fileName));
        return;
    }
    MessageBox::information(this, QStringLiteral("Успех"),
                            QStringLiteral("Данные успешно экспортированы!"));
}

namespace {

// The rosters of `streams` written to `fileName`; the error text, or empty.
QString writeRosters(NetworkManagerWrapper &network, const QList<QPair<int, QString>> &streams,
                     const QString &fileName)
{
    // Written whole or not at all: a failed export leaves no partial file,
    // and an earlier file of that name as it was.
    QSaveFile file(fileName);
    const QString unwritable = QStringLiteral("Не удалось записать файл %1").arg(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return unwritable;
    for (const auto &[id, label] : streams) {
        // CR LF whatever the system: the file is read on the 1C side.
        QByteArray lines = (label + QStringLiteral(";\r\n")).toUtf8();
        const QUrl url(Global::endpoint(QStringLiteral("/streams/%1/persons").arg(id)));
        const std::unique_ptr<QNetworkReply> reply(network.getUrl(url, true, true));
        const QJsonDocument roster = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply.get()));
        // A refusal is no roster without persons.
        if (reply->error() != QNetworkReply::NoError || !roster.isArray())
            return QStringLiteral("Не удалось получить список слушателей потока %1").arg(label);
        const QJsonArray persons = roster.array();
        for (const QJsonValue &person : persons)
            lines += (Export1CTableModel::oneLine(person.toObject().value("fullname").toString())
                      + QStringLiteral("\r\n"))
                         .toUtf8();
        if (file.write(lines) != lines.size())
            return unwritable;
    }
    return Global::commitFile(file) ? QString() : unwritable;
}

}  // namespace

void MainWindow::export1C()
{
    Export1CDialog dialog;
    NetworkManagerWrapper network;
    while (dialog.exec() == QDialog::Accepted) {
        const QString fileName = FileDialog::getSaveFileName(
            this, QStringLiteral("Экспорт в 1C"),
            dialog.getDateFilter().toString(QStringLiteral("dd-MM-yyyy")) + QStringLiteral(".txt"),
            QStringLiteral("*.txt"));
        if (fileName.isEmpty())
            continue;
        // Without a parent: the one busy indicator must outlive the dialog.
        Global::showPreloader();
        const QString error = writeRosters(network, dialog.getSelectedStreams(), fileName);
        Global::hidePreloader();
        if (!error.isEmpty())
            MessageBox::critical(this, QStringLiteral("Ошибка"), error, QMessageBox::Ok);
        else
            MessageBox::information(this, QStringLiteral("Успех"),
                                    QStringLiteral("Данные успешно экспортированы!"), QMessageBox::Ok);
    }
}
