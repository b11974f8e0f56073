#include "loginwrapper.h"

LoginWrapper::LoginWrapper(QObject *parent)
    : QObject(parent)
    , loginWidget(nullptr)
{
    connect(&loginWidget, &LoginWidget::tryFinished, this, &LoginWrapper::processTry);
}

void LoginWrapper::start()
{
    loginWidget.reset();
    loginWidget.show();
}

void LoginWrapper::processTry(bool ok)
{
    if (!ok)
        return;
    loginWidget.close();
    emit loginCompleted();
}
