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

bool askQuestion(const QuestionHook& hook, QWidget* parent, const QString& strTitle, const QString& strText)
{
    if (hook)
        return hook(strTitle, strText);
    QMessageBox box(QMessageBox::Question, strTitle, strText, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
