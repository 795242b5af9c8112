#pragma once

#include <QMainWindow>
#include "filelocations.h"
#include "language.h"
#include "messagehook.h"

#include <QMessageBox>
#include <QStringList>

#include <functional>

class QSettings;
class QThread;
class WorkerSerial;

namespace Ui {
class MainWindow;
}

// The program's only window: the serial settings panel above the tab widget
// with the work pages. Owns the serial worker and its thread, wires every
// page to the worker, and keeps its geometry and the pages' options in
// Telvane.ini (where FileLocations puts it).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // extraPorts: device paths given on the command line, offered after the
    // ports the system enumerates (pseudo-terminals are not enumerated).
    explicit MainWindow(const QStringList& extraPorts = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    WorkerSerial* worker() const { return m_worker; }
    // Tests record the window's own message boxes instead of showing them.
    void setMessageHook(MessageHook hook) { m_messageHook = std::move(hook); }
    // Tests answer the question asked before closing during a transfer.
    void setQuestionHook(QuestionHook hook) { m_questionHook = std::move(hook); }
    // The areas the window may open on; the screens' available areas unless set.
    void setScreenAreas(const QVector<QRect>& areas) { m_screenAreas = areas; }

public slots:
    void show();
    void setLog(QString strLog);

protected:
    virtual void loadSettings();
    virtual void saveSettings();
    void closeEvent(QCloseEvent* event) override;

private:
    void connectPages();
    void buildViewMenu();
    void buildLanguageMenu();
    void switchLanguage(Language language);
    void showPage(QWidget* page, bool bShow);
    void removePage(QWidget* page);
    QString loadCommandFile(const QString& strName);
    void restoreGeometry(const QSettings& settings);
    void warnPortNotOpened();
    bool transferRunning() const;
    void stopTransfers();

    Ui::MainWindow* ui;
    QThread* m_thread = nullptr;
    WorkerSerial* m_worker = nullptr;
    MessageHook m_messageHook;
    QuestionHook m_questionHook;
    FileLocations m_files;
    QVector<QRect> m_screenAreas;
};
