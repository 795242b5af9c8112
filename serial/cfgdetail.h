#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class CfgDetail;
}

// The modal "串口详细配置" dialog: every port parameter plus what the
// platform reports about the chosen port. Its choices persist for the run.
class CfgDetail : public QDialog
{
    Q_OBJECT
public:
    explicit CfgDetail(QWidget* parent = nullptr);
    ~CfgDetail() override;

    void clearPorts();
    void addPort(const QString& strText, const QString& strData);
    // Exact, case-sensitive match on the system port name; no change if absent.
    void selectPort(const QString& strData);
    QString currentPortData() const;

    int getBaud() const;
    int getDataBits() const;
    int getStopBits() const;
    int getParity() const;
    int getFlowControl() const;

private slots:
    void showPortInfo(int nIdx);

private:
    Ui::CfgDetail* m_ui;
};
