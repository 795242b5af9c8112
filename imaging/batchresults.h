#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>
#include <QtGlobal>

// One target of a batch push and what became of it.
struct BatchItem
{
    enum class State { Waiting, Running, Succeeded, Failed, Stopped };

    quint32 nAddr = 0;
    State state = State::Waiting;
    // The texts are untranslated, as the result file records them.
    QString wakeUp;          // "成功", "失败", "超时"; empty: not woken yet
    qint64 nWakeUpMs = -1;   // -1: no answer or time-out yet
    quint32 nPacketsAcked = 0;
    quint32 nPacketCount = 0;
    qint64 nTotalMs = -1;    // -1: not finished
    QString report;          // the display's last state report
    QString error;           // why it failed; empty otherwise
};

// The results table of a batch push, one row per address in the order
// given, for the page's table view and for CSV export.
class BatchResults : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { ColAddr, ColState, ColWakeUp, ColWakeUpTime, ColPackets, ColTotalTime, ColReport, ColError,
                  ColumnCount };

    explicit BatchResults(QObject* parent = nullptr);

    void setAddresses(const QVector<quint32>& addresses);
    const BatchItem& item(int nRow) const { return m_items.at(nRow); }
    void setItem(int nRow, const BatchItem& item);
    // A state report from a display of the batch (by its address); false
    // when no row has that address.
    bool setReport(quint32 nAddr, const QString& text);

    // Rows still to do after a run: failed, stopped or never reached.
    QVector<int> unfinishedRows() const;
    int count(BatchItem::State state) const;

    // The whole table with its heading row (see csvtext.h).
    QByteArray toCsv() const;
    // Written whole or not at all; false with the reason in error.
    bool saveCsv(const QString& path, QString* error) const;

    static QString stateText(BatchItem::State state);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString cellText(const BatchItem& item, int nColumn) const;

    QVector<BatchItem> m_items;
    QHash<quint32, int> m_rowOf;
};
