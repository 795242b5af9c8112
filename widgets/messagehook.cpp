#include "messagehook.h"

void showMessage(const MessageHook& hook, QWidget* parent, QMessageBox::Icon icon, const QString& strTitle,
                 const QString& strText)
{
    if (hook) {
        hook(icon, strTitle, strText);
        return;
    }
    QMessageBox box(icon, strTitle, strText, QMessageBox::Ok, parent);
    box.exec();
}
