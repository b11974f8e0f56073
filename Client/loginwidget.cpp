#include "loginwidget.h"

#include "messagebox.h"
#include "ui_loginwidget.h"

LoginWidget::LoginWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::LoginWidget)
    , settingsDialog(nullptr)
{
    ui->setupUi(this);
    setWindowFlag(Qt::Dialog);

    connect(LoginManager::instance(), &LoginManager::loginCompleted, this,
            &LoginWidget::completeLogin);
    connect(ui->loginPushButton, &QPushButton::clicked, this, &LoginWidget::tryLogin);
    connect(ui->passwordLineEdit, &QLineEdit::returnPressed, this, &LoginWidget::tryLogin);
    connect(ui->settingsPushButton, &QPushButton::clicked, &settingsDialog, &QDialog::exec);
}

LoginWidget::~LoginWidget()
{
    delete ui;
}

void LoginWidget::reset()
{
    ui->passwordLineEdit->clear();
}

void LoginWidget::tryLogin()
{
    LoginManager::instance()->login(ui->passwordLineEdit->text());
}

void LoginWidget::completeLogin(const LoginManager::Result &result)
{
    if (result.success) {
        loggedIn = true;
        emit tryFinished(true);
        return;
    }
    MessageBox::critical(this, QStringLiteral("Ошибка"),
                         QStringLiteral("Не удалось войти: %1").arg(result.message),
                         QMessageBox::Ok);
}
