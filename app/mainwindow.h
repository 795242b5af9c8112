#pragma once

#include <QMainWindow>
#include <QStringList>

class QSettings;
class QThread;

namespace Ui {
class MainWindow;
}

// The program's only window: the serial settings panel above the tab widget
// with the work pages. Owns the serial worker's thread and wires every page
// to the worker; keeps its geometry and the pages' options in Telvane.ini.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // extraPorts: device paths given on the command line, offered after the
    // ports the system enumerates (pseudo-terminals are not enumerated).
    explicit MainWindow(const QStringList& extraPorts = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

public slots:
    void show();
    void setLog(QString strLog);

protected:
    virtual void loadSettings();
    virtual void saveSettings();
    void closeEvent(QCloseEvent* event) override;

private:
    void removePage(QWidget* page);

    Ui::MainWindow* ui;
    QThread* m_thread = nullptr;
    QStringList m_extraPorts;
};
