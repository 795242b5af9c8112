#include "demo.h"

#include "filetrans.h"
#include "mainwindow.h"
#include "transtest.h"
#include "workerserial.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>

#include <functional>

namespace {

// The fixed start of a log line in the language shown, up to its first value.
QString leadOf(const char* context, const char* source)
{
    return QCoreApplication::translate(context, source).section(QStringLiteral("%1"), 0, 0);
}

bool waitFor(const std::function<bool()>& done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

template <typename T>
T* child(QObject* parent, const char* name)
{
    return parent ? parent->findChild<T*>(name) : nullptr;
}

}  // namespace

bool playDemo(MainWindow& w, const QString& imagePath, QString& error)
{
    auto* panel = child<QWidget>(&w, "groupCfgSerial");
    auto* terminal = child<QWidget>(&w, "tabRxTx");
    auto* commands = child<QWidget>(&w, "tabDtuCfg");
    auto* image = child<FileTrans>(&w, "tabFileTrans");
    auto* test = child<TransTest>(&w, "tabTransTest");
    auto choose = [imagePath](QWidget*, const QString&) { return imagePath; };
    image->setFileChooser(choose);
    test->setFileChooser(choose);

    child<QPushButton>(panel, "pbConnect")->click();
    if (!waitFor([&] { return w.worker()->isOpen(); }, 5000)) {
        error = "the port did not open";
        return false;
    }

    child<QCheckBox>(terminal, "chkDecode")->setChecked(true);
    child<QTextEdit>(terminal, "textEditTx")->setPlainText("48 65 6C 6C 6F 20 44 54 55");
    child<QPushButton>(terminal, "pbSend")->click();
    auto* rx = child<QTextEdit>(terminal, "textEditRx");
    if (!waitFor([&] { return rx->toPlainText().count("48 65 6C 6C 6F") >= 2; }, 5000)) {
        error = "terminal data did not come back";
        return false;
    }

    if (commands) {
        auto* query = child<QPushButton>(commands, "pbtnQuery");
        auto* code = child<QPushButton>(commands, "pbtnQueryCode");
        if (query && code) {
            query->click();
            code->click();
            waitFor([&] { return rx->toPlainText().contains("["); }, 3000);
        }
    }

    child<QPushButton>(image, "pbFileImport")->click();
    child<QCheckBox>(image, "chkRle")->setChecked(true);
    child<QPushButton>(image, "pbSend")->click();
    auto* log = child<QTextEdit>(image, "textEditLog");
    const QString report = leadOf("TransferFrames", "墨水屏 #%1 状态: %2");
    if (!waitFor([&] { return log->toPlainText().contains(report); }, 20000)) {
        error = "the image did not reach the display";
        return false;
    }

    child<QPushButton>(test, "pbFileImport")->click();
    child<QCheckBox>(test, "chkRle")->setChecked(true);
    child<QLineEdit>(test, "editFileInterval")->setText("2");
    child<QComboBox>(test, "cmbRun")->setCurrentIndex(2);
    child<QPushButton>(test, "pbRun")->click();
    auto* testLog = child<QTextEdit>(test, "textEditLog");
    const QString counts = leadOf("EnduranceRun", "成功: 唤醒 %1 次, 发送 %2 次, 总 %3 次");
    if (!waitFor([&] { return testLog->toPlainText().contains(counts); }, 20000)) {
        error = "the repeated test did not complete a task";
        return false;
    }
    return true;
}
