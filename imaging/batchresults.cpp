#include "batchresults.h"

#include "batchsession.h"
#include "csvtext.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QSaveFile>

namespace {

// The file keeps these headings untranslated; the table view translates them.
const char* const kHeadings[BatchResults::ColumnCount] = {
    QT_TRANSLATE_NOOP("BatchResults", "地址"), QT_TRANSLATE_NOOP("BatchResults", "结果"),
    QT_TRANSLATE_NOOP("BatchResults", "唤醒"), QT_TRANSLATE_NOOP("BatchResults", "唤醒耗时(秒)"),
    QT_TRANSLATE_NOOP("BatchResults", "包数"), QT_TRANSLATE_NOOP("BatchResults", "总耗时(秒)"),
    QT_TRANSLATE_NOOP("BatchResults", "显示屏报告"), QT_TRANSLATE_NOOP("BatchResults", "错误"),
};

// The translation context of the texts a column holds: where they are made.
const char* textContext(int nColumn)
{
    switch (nColumn) {
    case BatchResults::ColState:
        return "BatchResults";
    case BatchResults::ColWakeUp:
        return "TransferSession";
    case BatchResults::ColReport:
        return "TransferFrames";
    default:
        return nullptr;
    }
}

QString seconds(qint64 nMs)
{
    return nMs < 0 ? QString() : QString::number(double(nMs) / 1000.0, 'f', 3);
}

}  // namespace

BatchResults::BatchResults(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void BatchResults::setAddresses(const QVector<quint32>& addresses)
{
    beginResetModel();
    m_items.clear();
    m_rowOf.clear();
    m_items.reserve(addresses.size());
    for (const quint32 nAddr : addresses) {
        if (m_rowOf.contains(nAddr))
            continue;
        m_rowOf.insert(nAddr, m_items.size());
        BatchItem item;
        item.nAddr = nAddr;
        m_items.append(item);
    }
    endResetModel();
}

void BatchResults::setItem(int nRow, const BatchItem& item)
{
    if (nRow < 0 || nRow >= m_items.size() || item.nAddr != m_items.at(nRow).nAddr)
        return;
    m_items[nRow] = item;
    emit dataChanged(index(nRow, 0), index(nRow, ColumnCount - 1));
}

bool BatchResults::setReport(quint32 nAddr, const QString& text)
{
    const auto it = m_rowOf.constFind(nAddr);
    if (it == m_rowOf.constEnd())
        return false;
    m_items[*it].report = text;
    emit dataChanged(index(*it, ColReport), index(*it, ColReport));
    return true;
}

QVector<int> BatchResults::unfinishedRows() const
{
    QVector<int> rows;
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i).state != BatchItem::State::Succeeded)
            rows.append(i);
    return rows;
}

int BatchResults::count(BatchItem::State state) const
{
    int n = 0;
    for (const BatchItem& item : m_items)
        n += item.state == state;
    return n;
}

QString BatchResults::stateText(BatchItem::State state)
{
    switch (state) {
    case BatchItem::State::Waiting:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("BatchResults", "等待"));
    case BatchItem::State::Running:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("BatchResults", "进行中"));
    case BatchItem::State::Succeeded:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("BatchResults", "成功"));
    case BatchItem::State::Failed:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("BatchResults", "失败"));
    case BatchItem::State::Stopped:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("BatchResults", "已停止"));
    }
    return QString();
}

QString BatchResults::cellText(const BatchItem& item, int nColumn) const
{
    switch (nColumn) {
    case ColAddr:
        return QString::number(item.nAddr);
    case ColState:
        return stateText(item.state);
    case ColWakeUp:
        return item.wakeUp;
    case ColWakeUpTime:
        return seconds(item.nWakeUpMs);
    case ColPackets:
        return item.nPacketCount == 0 ? QString()
                                      : QStringLiteral("%1/%2").arg(item.nPacketsAcked).arg(item.nPacketCount);
    case ColTotalTime:
        return seconds(item.nTotalMs);
    case ColReport:
        return item.report;
    case ColError:
        return item.error;
    default:
        return QString();
    }
}

QByteArray BatchResults::toCsv() const
{
    QStringList headings;
    for (const char* h : kHeadings)
        headings << QString::fromUtf8(h);
    QByteArray out = csvFileStart() + csvRecord(headings);
    for (const BatchItem& item : m_items) {
        QStringList fields;
        for (int c = 0; c < ColumnCount; ++c)
            fields << cellText(item, c);
        out += csvRecord(fields);
    }
    return out;
}

bool BatchResults::saveCsv(const QString& path, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toCsv()) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

int BatchResults::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_items.size();
}

int BatchResults::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BatchResults::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return QVariant();
    const BatchItem& item = m_items.at(index.row());
    if (role == Qt::DisplayRole) {
        // Cells hold the file's untranslated texts.
        const QString text = cellText(item, index.column());
        if (index.column() == ColError)
            return shownBatchError(text);
        const char* context = textContext(index.column());
        return context && !text.isEmpty() ? QCoreApplication::translate(context, text.toUtf8().constData()) : text;
    }
    if (role == Qt::ForegroundRole && item.state == BatchItem::State::Failed)
        return QBrush(QColor(0xFF6E6E));
    return QVariant();
}

QVariant BatchResults::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && section < ColumnCount ? tr(kHeadings[section]) : QVariant();
}
