#include "mainwindow.h"

#include "attributeitemdelegate.h"
#include "booleanitemdelegate.h"
#include "datetimeitemdelegate.h"
#include "districteditdialog.h"
#include "moneyitemdelegate.h"
#include "permissionmanager.h"
#include "permissionsaware.h"
#include "positioneditdialog.h"
#include "regioneditdialog.h"
#include "simpleviewwidget.h"
#include "subwindowsawarewidget.h"
#include "ui_mainwindow.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

namespace {

// Item delegates are made per column, without parent, and live for the run.
QAbstractItemDelegate *yesNo()
{
    return new BooleanItemDelegate(nullptr, {QStringLiteral("Да"), QStringLiteral("Нет")});
}

QAbstractItemDelegate *dateOnly()
{
    return new DateTimeItemDelegate(nullptr, true);
}

QMap<int, QString> payAttributes()
{
    return {{0, QStringLiteral("Ожидает оплаты")},
            {1, QStringLiteral("Оплата")},
            {-1, QStringLiteral("Возврат")}};
}

}  // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , connectionChecker(nullptr)
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
    delete ui;
}

void MainWindow::registerWindows()
{
    // Windows are registered here, in menu order, as they become available.
    // A directory whose editor does not exist yet gets a list without one
    // (its add, edit and copy buttons stay disabled until it is passed in).
    registerSubwidget(SimpleViewWidget::Builder::create()
                          ->withTitle(QStringLiteral("Округа"))
                          ->withEndpoint(QStringLiteral("districts"))
                          ->withHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                                         {QStringLiteral("Название"), QStringLiteral("name")}})
                          ->withEditDialog(new DistrictEditDialog)
                          ->requires(QStringLiteral("districts"))
                          ->build(),
                      ui->districtsAction);

    registerSubwidget(SimpleViewWidget::Builder::create()
                          ->withTitle(QStringLiteral("Регионы"))
                          ->withEndpoint(QStringLiteral("regions"))
                          ->withHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                                         {QStringLiteral("Шифр"), QStringLiteral("code")},
                                         {QStringLiteral("Название"), QStringLiteral("name")},
                                         {QStringLiteral("Округ"), QStringLiteral("district.name")}})
                          ->withEditDialog(new RegionEditDialog)
                          ->requires(QStringLiteral("regions"))
                          ->build(),
                      ui->regionsAction);

    registerSubwidget(SimpleViewWidget::Builder::create()
                          ->withTitle(QStringLiteral("Должности"))
                          ->withEndpoint(QStringLiteral("positions"))
                          ->withHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                                         {QStringLiteral("Название"), QStringLiteral("name")}})
                          ->withEditDialog(new PositionEditDialog)
                          ->requires(QStringLiteral("positions"))
                          ->build(),
                      ui->positionsAction);

    registerSubwidget(SimpleViewWidget::Builder::create()
                          ->withTitle(QStringLiteral("Организации"))
                          ->withEndpoint(QStringLiteral("organizations"))
                          ->withHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                                         {QStringLiteral("Название"), QStringLiteral("name")},
                                         {QStringLiteral("Регион"), QStringLiteral("region.name")},
                                         {QStringLiteral("Код"), QStringLiteral("code")},
                                         {QStringLiteral("ИНН"), QStringLiteral("inn")},
                                         {QStringLiteral("Архив"), QStringLiteral("archived")}})
                          ->withItemDelegates({{5, yesNo()}})
                          ->requires(QStringLiteral("organizations"))
                          ->build(),
                      ui->organizationAction);

    registerSubwidget(SimpleViewWidget::Builder::create()
                          ->withTitle(QStringLiteral("Программы обучения"))
                          ->withEndpoint(QStringLiteral("curriculums"))
                          ->withHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                                         {QStringLiteral("Наименование"), QStringLiteral("name")},
                                         {QStringLiteral("Объем"), QStringLiteral("value")},
                                         {QStringLiteral("Платная"), QStringLiteral("paid")},
                                         {QStringLiteral("Цена"), QStringLiteral("cost")},
                                         {QStringLiteral("Архив"), QStringLiteral("archived")},
                                         {QStringLiteral("ID АИС"), QStringLiteral("externalId")},
                                         {QStringLiteral("Основание"), QStringLiteral("base")}})
                          ->withItemDelegates({{3, yesNo()}, {5, yesNo()}})
                          ->requires(QStringLiteral("curriculums"))
                          ->build(),
                      ui->registerCurriculumAction);

    registerSubwidget(SimpleViewWidget::Builder::create()
                          ->withTitle(QStringLiteral("Потоки"))
                          ->withEndpoint(QStringLiteral("streams"))
                          ->withHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                                         {QStringLiteral("Наименование"), QStringLiteral("name")},
                                         {QStringLiteral("Начало"), QStringLiteral("startDate")},
                                         {QStringLiteral("Конец"), QStringLiteral("endDate")},
                                         {QStringLiteral("Программа"), QStringLiteral("curriculum.name")},
                                         {QStringLiteral("Внешний ID"), QStringLiteral("externalId")}})
                          ->withItemDelegates({{2, dateOnly()}, {3, dateOnly()}})
                          ->requires(QStringLiteral("streams"))
                          ->build(),
                      ui->registerStreamAction);

    registerSubwidget(SimpleViewWidget::Builder::create()
                          ->withTitle(QStringLiteral("Тарифы"))
                          ->withEndpoint(QStringLiteral("rates"))
                          ->withHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                                         {QStringLiteral("Тип"), QStringLiteral("type")},
                                         {QStringLiteral("Название"), QStringLiteral("name")},
                                         {QStringLiteral("Стоимость"), QStringLiteral("cost")},
                                         {QStringLiteral("Стоимость часа"), QStringLiteral("hourCost")},
                                         {QStringLiteral("Начало действия"), QStringLiteral("startDate")},
                                         {QStringLiteral("Конец действия"), QStringLiteral("endDate")},
                                         {QStringLiteral("Кол-во мест"), QStringLiteral("size")},
                                         {QStringLiteral("Основной"), QStringLiteral("primary")},
                                         {QStringLiteral("Основание"), QStringLiteral("base")},
                                         {QStringLiteral("Комментарий"), QStringLiteral("comments")},
                                         {QStringLiteral("Заметки"), QStringLiteral("notes")}})
                          ->withItemDelegates({{3, new MoneyItemDelegate(nullptr)},
                                              {4, new MoneyItemDelegate(nullptr)},
                                              {5, dateOnly()},
                                              {6, dateOnly()},
                                              {8, yesNo()}})
                          ->requires(QStringLiteral("rates"))
                          ->build(),
                      ui->ratesAction);

    // Read from "pay_type" but guarded by "payTypes".
    registerSubwidget(SimpleViewWidget::Builder::create()
                          ->withTitle(QStringLiteral("Способ оплаты"))
                          ->withEndpoint(QStringLiteral("pay_type"))
                          ->withHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                                         {QStringLiteral("Название"), QStringLiteral("name")},
                                         {QStringLiteral("Оплата"), QStringLiteral("attribute")},
                                         {QStringLiteral("Плательщик"), QStringLiteral("payer.name")},
                                         {QStringLiteral("Дата начала"), QStringLiteral("startDate")},
                                         {QStringLiteral("Дата окончания"), QStringLiteral("endDate")},
                                         {QStringLiteral("Цена контракта"), QStringLiteral("contractCost")}})
                          ->withItemDelegates({{2, new AttributeItemDelegate(nullptr, payAttributes())},
                                              {4, dateOnly()},
                                              {5, dateOnly()}})
                          ->requires(QStringLiteral("payTypes"))
                          ->build(),
                      ui->payTypeAction);

    // The checkout hour, the organisation's details, receipt numbering and
    // the 1C export belong here, between the payment types and the property.

    // Read from "properties" but guarded by "property".
    registerSubwidget(SimpleViewWidget::Builder::create()
                          ->withTitle(QStringLiteral("Имущество"))
                          ->withEndpoint(QStringLiteral("properties"))
                          ->withHeaders({{QStringLiteral("ID"), QStringLiteral("id")},
                                         {QStringLiteral("Название"), QStringLiteral("name")},
                                         {QStringLiteral("Идентификационный номер"), QStringLiteral("number")},
                                         {QStringLiteral("Стоимость"), QStringLiteral("cost")},
                                         {QStringLiteral("Архив"), QStringLiteral("archived")}})
                          ->withItemDelegates({{3, new MoneyItemDelegate(nullptr)}, {4, yesNo()}})
                          ->sortBy(1, Qt::AscendingOrder)
                          ->requires(QStringLiteral("property"))
                          ->build(),
                      ui->propertyAction);
}

void MainWindow::registerSubwidget(QWidget *widget, QAction *action)
{
    widget->setAttribute(Qt::WA_DeleteOnClose, false);
    widget->installEventFilter(this);

    if (action) {
        connect(action, &QAction::triggered, this, [this, widget] { openChild(widget); });
        if (auto *aware = dynamic_cast<PermissionsAware *>(widget))
            actionMap[aware->getPermissionNode()].append(action);
    }

    if (auto *aware = qobject_cast<SubwindowsAwareWidget *>(widget)) {
        connect(aware, &SubwindowsAwareWidget::addingSubwindow, this, &MainWindow::openChild);
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
    QMetaObject::invokeMethod(widget, "handleUpdate");
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

void MainWindow::updateLogin()
{
    ui->currentUserLabel->setText(LoginManager::instance()->getName());
    const auto windows = ui->mdiArea->subWindowList(QMdiArea::StackingOrder);
    for (QMdiSubWindow *window : windows) {
        if (window->widget())
            QMetaObject::invokeMethod(window->widget(), "handleUpdate");
    }
    if (!isVisible())
        showMaximized();
}

void MainWindow::relogin()
{
    loginWrapper.start();
}
