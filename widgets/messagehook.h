#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// How a window or page tells the operator something. Unset, a modal box with
// one OK button appears; tests and tools set a hook that takes the message.
using MessageHook = std::function<void(QMessageBox::Icon icon, const QString& strTitle, const QString& strText)>;

void showMessage(const MessageHook& hook, QWidget* parent, QMessageBox::Icon icon, const QString& strTitle,
                 const QString& strText);

// A yes/no question; a set hook answers it instead of the operator.
using QuestionHook = std::function<bool(const QString& strTitle, const QString& strText)>;

bool askQuestion(const QuestionHook& hook, QWidget* parent, const QString& strTitle, const QString& strText);
