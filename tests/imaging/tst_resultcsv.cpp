#include "batchresults.h"
#include "csvtext.h"
#include "endurancecsv.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

const QByteArray kBom("\xEF\xBB\xBF");
const QByteArray kRunHeading = QString::fromUtf8("开始时间,任务,唤醒,唤醒耗时(ms),发送,已确认包数,总包数,耗时(ms),显示屏报告\r\n").toUtf8();

EnduranceTaskResult taskRow(quint32 nTask)
{
    EnduranceTaskResult row;
    row.time = QDateTime(QDate(2026, 12, 5), QTime(8, 0, 5, 42));
    row.nTask = nTask;
    row.wakeUp = StepResult::Succeeded;
    row.nWakeUpMs = 150;
    row.send = StepResult::Succeeded;
    row.nPacketsAcked = 3;
    row.nPacketCount = 3;
    row.nDurationMs = 1200;
    return row;
}

const QString kDrawn = QStringLiteral("刷屏成功");

// Shows which context each text is looked up in.
class ContextTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        return QStringLiteral("%1:%2").arg(QLatin1String(context), QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }
};

}  // namespace

class TestResultCsv : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fieldsAreQuotedOnlyWhenNeeded_data();
    void fieldsAreQuotedOnlyWhenNeeded();
    void batchTableExportsEveryColumn();
    void batchViewTranslatesWhatTheFileKeeps_data();
    void batchViewTranslatesWhatTheFileKeeps();
    void batchRetryTakesEveryRowNotSucceeded();
    void runRecordIsOnDiskAfterEachTask();
    void runRecordExportsRowsWithLatestCounters_data();
    void runRecordExportsRowsWithLatestCounters();
    void runRecordThatCannotBeCreatedRecordsNothing();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestResultCsv::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestResultCsv::fieldsAreQuotedOnlyWhenNeeded_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("plain") << QStringList { "1674097996", "成功", "" } << QString::fromUtf8("1674097996,成功,\r\n").toUtf8();
    QTest::newRow("comma") << QStringList { "a,b", "c" } << QByteArray("\"a,b\",c\r\n");
    QTest::newRow("quote doubled") << QStringList { "say \"hi\"" } << QByteArray("\"say \"\"hi\"\"\"\r\n");
    QTest::newRow("line breaks") << QStringList { "a\nb", "c\rd" } << QByteArray("\"a\nb\",\"c\rd\"\r\n");
    QTest::newRow("no fields") << QStringList() << QByteArray("\r\n");
}

void TestResultCsv::fieldsAreQuotedOnlyWhenNeeded()
{
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, expected);
    QCOMPARE(csvRecord(fields), expected);
}

void TestResultCsv::batchTableExportsEveryColumn()
{
    BatchResults results;
    results.setAddresses({ 1674097996, 1674097997, 1674097998 });
    BatchItem done = results.item(0);
    done.state = BatchItem::State::Succeeded;
    done.wakeUp = QStringLiteral("成功");
    done.nWakeUpMs = 150;
    done.nPacketsAcked = done.nPacketCount = 3;
    done.nTotalMs = 1234;
    results.setItem(0, done);
    BatchItem failed = results.item(1);
    failed.state = BatchItem::State::Failed;
    failed.wakeUp = QStringLiteral("超时");
    failed.nTotalMs = 4000;
    failed.error = QStringLiteral("唤醒超时, 未发送");
    results.setItem(1, failed);
    QVERIFY(results.setReport(1674097996, QStringLiteral("刷屏成功")));
    QVERIFY(!results.setReport(5, QStringLiteral("刷屏成功")));

    const QString expected = QString::fromUtf8("\xEF\xBB\xBF"
                                               "地址,结果,唤醒,唤醒耗时(秒),包数,总耗时(秒),显示屏报告,错误\r\n"
                                               "1674097996,成功,成功,0.150,3/3,1.234,刷屏成功,\r\n"
                                               "1674097997,失败,超时,,,4.000,,\"唤醒超时, 未发送\"\r\n"
                                               "1674097998,等待,,,,,,\r\n");
    QCOMPARE(QString::fromUtf8(results.toCsv()), expected);

    const QString path = m_dir->filePath("batch.csv");
    QString error;
    QVERIFY(results.saveCsv(path, &error));
    QCOMPARE(fileBytes(path), results.toCsv());
    QVERIFY(!results.saveCsv(m_dir->filePath("no/such/dir.csv"), &error));
    QVERIFY(!error.isEmpty());
}

void TestResultCsv::batchViewTranslatesWhatTheFileKeeps_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("error");
    const QString timedOut = QStringLiteral("唤醒超时");
    QTest::newRow("address") << int(BatchResults::ColAddr) << "BatchResults:地址" << "7" << timedOut;
    QTest::newRow("state") << int(BatchResults::ColState) << "BatchResults:结果" << "BatchResults:失败" << timedOut;
    QTest::newRow("wake-up") << int(BatchResults::ColWakeUp) << "BatchResults:唤醒" << "TransferSession:超时"
                             << timedOut;
    QTest::newRow("report") << int(BatchResults::ColReport) << "BatchResults:显示屏报告" << "TransferFrames:刷屏成功"
                            << timedOut;
    QTest::newRow("error") << int(BatchResults::ColError) << "BatchResults:错误" << "BatchSession:唤醒超时"
                           << timedOut;
    QTest::newRow("error with a packet status")
        << int(BatchResults::ColError) << "BatchResults:错误" << "BatchSession:文件发送异常: TransferFrames:校验错误"
        << "文件发送异常: 校验错误";
    QTest::newRow("not reached") << int(BatchResults::ColPackets) << "BatchResults:包数" << "" << timedOut;
}

void TestResultCsv::batchViewTranslatesWhatTheFileKeeps()
{
    QFETCH(int, column);
    QFETCH(QString, heading);
    QFETCH(QString, shown);
    QFETCH(QString, error);
    BatchResults results;
    results.setAddresses({ 7 });
    BatchItem item = results.item(0);
    item.state = BatchItem::State::Failed;
    item.wakeUp = QStringLiteral("超时");
    item.error = error;
    results.setItem(0, item);
    results.setReport(7, kDrawn);
    const QByteArray csv = results.toCsv();

    ContextTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QCOMPARE(results.headerData(column, Qt::Horizontal).toString(), heading);
    QCOMPARE(results.data(results.index(0, column)).toString(), shown);
    QCOMPARE(results.toCsv(), csv);
}

void TestResultCsv::batchRetryTakesEveryRowNotSucceeded()
{
    BatchResults results;
    results.setAddresses({ 1, 2, 3, 4, 5 });
    const BatchItem::State states[] = { BatchItem::State::Succeeded, BatchItem::State::Failed,
                                        BatchItem::State::Stopped, BatchItem::State::Succeeded,
                                        BatchItem::State::Waiting };
    for (int i = 0; i < 5; ++i) {
        BatchItem item = results.item(i);
        item.state = states[i];
        results.setItem(i, item);
    }
    QCOMPARE(results.unfinishedRows(), QVector<int>({ 1, 2, 4 }));
    QCOMPARE(results.count(BatchItem::State::Succeeded), 2);
    QCOMPARE(results.count(BatchItem::State::Failed), 1);
}

void TestResultCsv::runRecordIsOnDiskAfterEachTask()
{
    const QString path = m_dir->filePath("run.csv");
    EnduranceCsv csv;
    QString error;
    QVERIFY(csv.begin(path, &error));
    QCOMPARE(fileBytes(path), kBom + kRunHeading);

    EnduranceTaskResult noSend = taskRow(1);
    noSend.send = StepResult::NotRun;
    QVERIFY(csv.append(noSend, QString(), { 1, 1, 0, 0, 0 }));
    const QByteArray row1 = QString::fromUtf8("2026-12-05 08:00:05.042,1,成功,150,,,,1200,\r\n").toUtf8();
    QCOMPARE(fileBytes(path), kBom + kRunHeading + row1);

    EnduranceTaskResult refused = taskRow(2);
    refused.send = StepResult::Refused;
    refused.nPacketsAcked = 1;
    QVERIFY(csv.append(refused, QString(), { 2, 2, 0, 0, 1 }));
    const QByteArray row2 = QString::fromUtf8("2026-12-05 08:00:05.042,2,成功,150,失败,1,3,1200,\r\n").toUtf8();
    QCOMPARE(fileBytes(path), kBom + kRunHeading + row1 + row2);

    csv.finish();
    const QByteArray totals = QString::fromUtf8("\r\n任务数,唤醒成功,唤醒失败,发送成功,发送失败\r\n2,2,0,0,1\r\n").toUtf8();
    QCOMPARE(fileBytes(path), kBom + kRunHeading + row1 + row2 + totals);
    QVERIFY(!csv.append(taskRow(3), kDrawn, { 3, 3, 0, 1, 1 }));
    QCOMPARE(csv.rowCount(), 2u);
}

void TestResultCsv::runRecordExportsRowsWithLatestCounters_data()
{
    QTest::addColumn<bool>("autoFile");
    QTest::addColumn<bool>("finished");
    QTest::newRow("temporary, running") << false << false;
    QTest::newRow("automatic file, running") << true << false;
    QTest::newRow("automatic file, finished") << true << true;
}

void TestResultCsv::runRecordExportsRowsWithLatestCounters()
{
    QFETCH(bool, autoFile);
    QFETCH(bool, finished);
    EnduranceCsv csv;
    QString error;
    QVERIFY(csv.begin(autoFile ? m_dir->filePath("auto.csv") : QString(), &error));
    QVERIFY(csv.append(taskRow(1), kDrawn, { 1, 1, 0, 1, 0 }));
    QVERIFY(csv.append(taskRow(2), kDrawn, { 2, 2, 0, 2, 0 }));
    if (finished)
        csv.finish();

    const QString path = m_dir->filePath("export.csv");
    QVERIFY(csv.exportTo(path, &error));
    const QByteArray expected =
        kBom + kRunHeading + EnduranceCsv::record(taskRow(1), kDrawn) + EnduranceCsv::record(taskRow(2), kDrawn)
        + QString::fromUtf8("\r\n任务数,唤醒成功,唤醒失败,发送成功,发送失败\r\n2,2,0,2,0\r\n").toUtf8();
    QCOMPARE(fileBytes(path), expected);
    QCOMPARE(EnduranceCsv::record(taskRow(1), kDrawn),
             QString::fromUtf8("2026-12-05 08:00:05.042,1,成功,150,成功,3,3,1200,刷屏成功\r\n").toUtf8());
}

void TestResultCsv::runRecordThatCannotBeCreatedRecordsNothing()
{
    EnduranceCsv csv;
    QString error;
    QVERIFY(!csv.begin(m_dir->filePath("no/such/dir/run.csv"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!csv.isRecording());
    QVERIFY(!csv.append(taskRow(1), kDrawn, { 1, 1, 0, 1, 0 }));
    // The counters are still exported.
    const QString path = m_dir->filePath("export.csv");
    QVERIFY(csv.exportTo(path, &error));
    QVERIFY(fileBytes(path).endsWith("1,1,0,1,0\r\n"));
}

QTEST_GUILESS_MAIN(TestResultCsv)
#include "tst_resultcsv.moc"
