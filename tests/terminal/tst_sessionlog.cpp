#include "sessionlog.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <random>

namespace {

const QDateTime kTime(QDate(2026, 3, 1), QTime(8, 15, 2, 317));

// Reads the chunks back out of log lines by their hex field alone. A line
// of n bytes is 26 characters of time and direction, n times " XX", then
// "  |", n text characters and "|".
QList<QByteArray> chunksIn(const QByteArray& log)
{
    QList<QByteArray> chunks;
    for (const QByteArray& line : log.split('\n')) {
        if (line.isEmpty())
            continue;
        const int n = (line.size() - 30) / 4;
        chunks.append(QByteArray::fromHex(line.mid(26, 3 * n)));
    }
    return chunks;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestSessionLog : public QObject
{
    Q_OBJECT

private slots:
    void lineShowsTimeDirectionHexAndPrintableText_data();
    void lineShowsTimeDirectionHexAndPrintableText();
    void partPaths_data();
    void partPaths();
    void fileHoldsEveryChunkInOrderAsItIsWritten();
    void fullFileContinuesInTheNextNumberedFile();
    void unwritablePathIsReported();
};

void TestSessionLog::lineShowsTimeDirectionHexAndPrintableText_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("dir");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("received") << QByteArray::fromHex("AA01410D") << 0
                              << QByteArray("2026-03-01 08:15:02.317 << AA 01 41 0D  |..A.|\n");
    QTest::newRow("sent") << QByteArray("hi") << 1 << QByteArray("2026-03-01 08:15:02.317 >> 68 69  |hi|\n");
    QTest::newRow("edges of printable") << QByteArray::fromHex("1F207E7F80FF00") << 0
                                        << QByteArray("2026-03-01 08:15:02.317 << 1F 20 7E 7F 80 FF 00  |. ~....|\n");
}

void TestSessionLog::lineShowsTimeDirectionHexAndPrintableText()
{
    QFETCH(QByteArray, data);
    QFETCH(int, dir);
    QFETCH(QByteArray, line);
    QCOMPARE(SessionLog::formatLine(data, dir, kTime), line);
}

void TestSessionLog::partPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("part");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first is the path") << "/d/s.log" << 1 << "/d/s.log";
    QTest::newRow("number before suffix") << "/d/s.log" << 3 << "/d/s-3.log";
    QTest::newRow("no suffix") << "/d/s" << 2 << "/d/s-2";
    QTest::newRow("dot in folder") << "/d.x/s" << 2 << "/d.x/s-2";
    QTest::newRow("hidden file") << "/d/.log" << 2 << "/d/.log-2";
}

void TestSessionLog::partPaths()
{
    QFETCH(QString, path);
    QFETCH(int, part);
    QFETCH(QString, expected);
    QCOMPARE(SessionLog::partPath(path, part), expected);
}

void TestSessionLog::fileHoldsEveryChunkInOrderAsItIsWritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.log"));
    SessionLog log;
    QVERIFY(log.open(path));
    std::mt19937 rng(7);
    QList<QByteArray> stream;
    for (int i = 0; i < 200; ++i) {
        QByteArray chunk(int(rng() % 300) + (i == 0 ? 0 : 1), Qt::Uninitialized);
        for (char& c : chunk)
            c = char(rng());
        stream.append(chunk);
        QVERIFY(log.write(chunk, i % 3 == 0 ? 1 : 0, kTime));
        // On disk already, without closing.
        if (i % 50 == 0)
            QCOMPARE(chunksIn(readAll(path)), stream);
    }
    const QByteArray content = readAll(path);
    QCOMPARE(chunksIn(content), stream);
    QCOMPARE(content.count(" >> "), 67);
}

void TestSessionLog::fullFileContinuesInTheNextNumberedFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.log"));
    // A numbered file of an earlier log stays untouched.
    {
        QFile old(SessionLog::partPath(path, 3));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier");
    }
    const qint64 nCap = 200;
    SessionLog log;
    QVERIFY(log.open(path, nCap));
    QList<QByteArray> stream;
    for (int i = 0; i < 12; ++i) {
        stream.append(QByteArray(i == 5 ? 120 : 10, char('a' + i)));  // one line alone exceeds the cap
        QVERIFY(log.write(stream.last(), 0, kTime));
    }
    // Lines of 10 bytes take 70 characters: two fit in a file.
    QList<QByteArray> logged;
    QList<int> linesPerFile;
    for (int part : {1, 2, 4, 5, 6, 7, 8}) {
        const QByteArray content = readAll(SessionLog::partPath(path, part));
        linesPerFile.append(content.count('\n'));
        QVERIFY(content.size() <= nCap || content.count('\n') == 1);
        logged += chunksIn(content);
    }
    QCOMPARE(logged, stream);
    QCOMPARE(linesPerFile, QList<int>({2, 2, 1, 1, 2, 2, 2}));
    QCOMPARE(log.currentPath(), SessionLog::partPath(path, 8));
    QCOMPARE(readAll(SessionLog::partPath(path, 3)), QByteArray("earlier"));
    QVERIFY(!QFile::exists(SessionLog::partPath(path, 9)));
}

void TestSessionLog::unwritablePathIsReported()
{
    QTemporaryDir dir;
    SessionLog log;
    QVERIFY(!log.open(dir.filePath(QStringLiteral("missing/s.log"))));
    QVERIFY(!log.isOpen());
    QVERIFY(log.errorString().contains(QStringLiteral("missing/s.log")));
    QVERIFY(!log.write("x", 0, kTime));
}

QTEST_GUILESS_MAIN(TestSessionLog)
#include "tst_sessionlog.moc"
