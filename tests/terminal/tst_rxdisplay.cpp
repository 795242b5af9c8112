#include "hexcodec.h"
#include "rxdisplay.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// The view's plain text after inserting the pending segments into an
// empty view; paragraphs are separated by '\n'.
QString render(RxDisplay& display, QString view = QString())
{
    bool bReset = false;
    const std::deque<RxSegment> segments = display.takePending(&bReset);
    if (bReset)
        view.clear();
    for (const RxSegment& segment : segments) {
        if (segment.bNewBlock)
            view += QLatin1Char('\n');
        view += segment.strText;
    }
    return view;
}

QByteArray noZeroBytes(int nSize, int nSeed)
{
    QByteArray data(nSize, Qt::Uninitialized);
    for (int i = 0; i < nSize; ++i)
        data[i] = char(1 + (i * 7 + nSeed) % 255);
    return data;
}

// One step of a mixed session: a chunk (nDir 0 or 1), a decoded answer
// (nDir 2), or a timestamp switch (nDir 3, data "1" or "0"); nAfterMs
// passes first.
struct Step
{
    int nAfterMs;
    int nDir;
    QByteArray data;
};

void play(RxDisplay& d, qint64& nNow, const QVector<Step>& steps)
{
    for (const Step& step : steps) {
        nNow += step.nAfterMs;
        if (step.nDir == 2)
            d.addParagraph(QString::fromUtf8(step.data));
        else if (step.nDir == 3)
            d.setTimestamps(step.data == "1");
        else
            d.addChunk(step.data, step.nDir);
    }
}

}  // namespace

Q_DECLARE_METATYPE(QVector<Step>)

class TestRxDisplay : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void receivedChunksShareALineWithinTheSubPacketWindow();
    void timerThatNeverRanStartsALine();
    void subPacketTimeOutOutsideRangeIsIgnored_data();
    void subPacketTimeOutOutsideRangeIsIgnored();
    void withoutTimestampsChunksRunTogether();
    void chunkTextInEachMode_data();
    void chunkTextInEachMode();
    void switchingModeReRendersEverythingAsLiveRenderingWould_data();
    void switchingModeReRendersEverythingAsLiveRenderingWould();
    void switchingModeWithNothingShownChangesNothing();
    void decodedAnswerIsAParagraph();
    void storeKeepsTheMostRecentEntriesWithinItsCaps_data();
    void storeKeepsTheMostRecentEntriesWithinItsCaps();
    void longRunsAreSplitIntoBoundedParagraphsWithIdenticalText_data();
    void longRunsAreSplitIntoBoundedParagraphsWithIdenticalText();
    void pendingTextBeyondTheViewCapIsDropped();
    void pendingTextIsHandedOutInBoundedBatches();

private:
    qint64 m_nNow = 0;
    RxDisplay m_display;
};

void TestRxDisplay::init()
{
    m_display = RxDisplay();
    m_nNow = 1000;
    m_display.setClock([this] { return m_nNow; }, [] { return QStringLiteral("[T]"); });
}

void TestRxDisplay::receivedChunksShareALineWithinTheSubPacketWindow()
{
    RxDisplay& d = m_display;
    d.setTimestamps(true);
    QVERIFY(d.applySubPkgTime(20));
    m_nNow += 25;
    d.addChunk(QByteArray::fromHex("AA"), 0);
    m_nNow += 5;
    d.addChunk(QByteArray::fromHex("BB01"), 0);
    m_nNow += 1;
    d.addChunk(QByteArray::fromHex("01"), 1);
    m_nNow += 9;   // 15 ms after the received line began: continues the sent line
    d.addChunk(QByteArray::fromHex("CC"), 0);
    m_nNow += 10;  // 25 ms: a new received line
    d.addChunk(QByteArray::fromHex("DD"), 0);
    QCOMPARE(render(d), QStringLiteral("[T]<< AABB 01\n[T]>> 01CC\n[T]<< DD"));
}

void TestRxDisplay::timerThatNeverRanStartsALine()
{
    RxDisplay& d = m_display;
    d.setTimestamps(true);
    d.addChunk("\x01", 0);
    d.addChunk("\x02", 0);
    QCOMPARE(render(d), QStringLiteral("[T]<< 0102"));
}

void TestRxDisplay::subPacketTimeOutOutsideRangeIsIgnored_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("19") << qint64(19) << false;
    QTest::newRow("20") << qint64(20) << true;
    QTest::newRow("int max") << qint64(2147483647) << false;
    QTest::newRow("int max - 1") << qint64(2147483646) << true;
    QTest::newRow("negative") << qint64(-50) << false;
}

void TestRxDisplay::subPacketTimeOutOutsideRangeIsIgnored()
{
    QFETCH(qint64, ms);
    QFETCH(bool, accepted);
    RxDisplay& d = m_display;
    QVERIFY(d.applySubPkgTime(35));
    QCOMPARE(d.applySubPkgTime(ms), accepted);
    QCOMPARE(d.subPkgTime(), accepted ? int(ms) : 35);
}

void TestRxDisplay::withoutTimestampsChunksRunTogether()
{
    RxDisplay& d = m_display;
    d.addChunk(QByteArray::fromHex("AA01"), 0);
    d.addChunk(QByteArray::fromHex("02"), 0);
    d.addChunk(QByteArray::fromHex("03"), 1);
    QCOMPARE(render(d), QStringLiteral("AA 010203"));
}

void TestRxDisplay::chunkTextInEachMode_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("text");
    const QString zero = QString(QChar(RxDisplay::kZeroSign));
    QTest::newRow("zero bytes stay visible") << QByteArray("A\0B\0", 4) << "41 00 42 00"
                                             << QString(QStringLiteral("A") + zero + QStringLiteral("B") + zero);
    QTest::newRow("every byte value has two digits") << QByteArray::fromHex("80FF0F") << "80 FF 0F"
                                                     << QString(QChar(0xFFFD)) + QChar(0xFFFD) + QChar(0x0F);
    QTest::newRow("UTF-8") << QByteArray("\xe4\xbf\xa1\xe9\x81\x93") << "E4 BF A1 E9 81 93" << QStringLiteral("信道");
    QTest::newRow("cut UTF-8 sequence") << QByteArray("\xe4\xbf") << "E4 BF" << QString(2, QChar(0xFFFD));
    QTest::newRow("empty") << QByteArray() << QString() << QString();
}

void TestRxDisplay::chunkTextInEachMode()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, hex);
    QFETCH(QString, text);
    QCOMPARE(RxDisplay::chunkText(data, txmode::kHex), hex);
    QCOMPARE(RxDisplay::chunkText(data, txmode::kText), text);
}

void TestRxDisplay::switchingModeReRendersEverythingAsLiveRenderingWould_data()
{
    QTest::addColumn<int>("firstMode");
    QTest::addColumn<QVector<Step>>("steps");
    const QVector<Step> mixed{
        {0, 3, "1"},
        {30, 0, QByteArray::fromHex("AA0100")},          // zero byte
        {5, 0, QByteArray("\x00\xff\xfeok", 5)},        // continues the line; invalid UTF-8
        {1, 1, QByteArray::fromHex("AA01000000000500")},   // sent
        {1, 2, "信道 3"},                                  // decoded answer
        {40, 0, "\xe4\xbf"},                              // half a character ...
        {1, 0, "\xa1\r\nline"},                           // ... and the rest, with a line break
        {0, 3, "0"},
        {40, 0, QByteArray("\0\0", 2)},
        {1, 1, "typed"},
        {0, 3, "1"},
        {40, 0, QByteArray(5000, 'x')},                    // longer than a paragraph
    };
    QTest::newRow("hex first") << int(txmode::kHex) << mixed;
    QTest::newRow("character first") << int(txmode::kText) << mixed;
    QTest::newRow("without timestamps") << int(txmode::kHex) << mixed.mid(1, 6);
}

void TestRxDisplay::switchingModeReRendersEverythingAsLiveRenderingWould()
{
    QFETCH(int, firstMode);
    QFETCH(QVector<Step>, steps);
    const int otherMode = 1 - firstMode;
    int nTime = 0;
    const auto timeText = [&nTime] { return QStringLiteral("[%1]").arg(++nTime); };

    // The same session rendered live in each mode.
    QString liveText[2];
    for (int mode : {firstMode, otherMode}) {
        RxDisplay live;
        qint64 nNow = 1000;
        nTime = 0;
        live.setClock([&nNow] { return nNow; }, timeText);
        live.setMode(mode);
        play(live, nNow, steps);
        liveText[mode] = render(live);
    }
    QVERIFY(liveText[txmode::kHex].contains(QStringLiteral("00 FF FE")));
    QVERIFY(liveText[txmode::kText].contains(QChar(RxDisplay::kZeroSign)));

    RxDisplay& d = m_display;
    nTime = 0;
    d.setClock([this] { return m_nNow; }, timeText);
    d.setMode(firstMode);
    play(d, m_nNow, steps);
    QString view = render(d);
    QCOMPARE(view, liveText[firstMode]);
    for (int round = 0; round < 2; ++round) {
        QVERIFY(d.setMode(otherMode));
        view = render(d, view);
        QCOMPARE(view, liveText[otherMode]);
        QVERIFY(d.setMode(firstMode));
        view = render(d, view);
        QCOMPARE(view, liveText[firstMode]);
    }
}

void TestRxDisplay::switchingModeWithNothingShownChangesNothing()
{
    RxDisplay& d = m_display;
    QVERIFY(!d.setMode(txmode::kText));
    QVERIFY(!d.hasPending());
    QVERIFY(!d.setMode(txmode::kText));  // the same mode again
    d.addChunk("\x01", 0);
    render(d);
    QVERIFY(!d.setMode(txmode::kText));
    QVERIFY(!d.hasPending());
}

void TestRxDisplay::decodedAnswerIsAParagraph()
{
    RxDisplay& d = m_display;
    d.addParagraph(QStringLiteral("first"));
    d.addChunk("\x01", 0);
    d.addParagraph(QStringLiteral("second"));
    QCOMPARE(render(d), QStringLiteral("first01\nsecond"));
}

void TestRxDisplay::storeKeepsTheMostRecentEntriesWithinItsCaps_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::addColumn<int>("chunks");
    QTest::newRow("large chunks: byte cap") << 1024 << 3 * RxDisplay::kStoreCapBytes / 1024;
    QTest::newRow("single bytes: entry cap") << 1 << 3 * RxDisplay::kStoreCapEntries;
}

void TestRxDisplay::storeKeepsTheMostRecentEntriesWithinItsCaps()
{
    QFETCH(int, chunkSize);
    QFETCH(int, chunks);
    RxDisplay& d = m_display;
    QVector<QByteArray> all;
    for (int i = 0; i < chunks; ++i) {
        all.append(noZeroBytes(chunkSize, i));
        d.addChunk(all.last(), i % 2);
        if (i % 64 == 0)
            render(d);
    }
    const std::deque<RxEntry>& store = d.store();
    qint64 nBytes = 0;
    for (const RxEntry& entry : store)
        nBytes += entry.data.size();
    QVERIFY(nBytes <= RxDisplay::kStoreCapBytes);
    QVERIFY(store.size() <= size_t(RxDisplay::kStoreCapEntries));
    QVERIFY(nBytes >= RxDisplay::kStoreCapBytes / 2 || store.size() >= size_t(RxDisplay::kStoreCapEntries) / 2);
    const int nFirstKept = chunks - int(store.size());
    for (size_t i = 0; i < store.size(); ++i)
        QCOMPARE(store[i].data, all.at(nFirstKept + int(i)));

    // A mode switch re-renders exactly the kept tail.
    render(d);
    QVERIFY(d.setMode(txmode::kText));
    QString expected;
    for (int i = nFirstKept; i < chunks; ++i)
        expected += RxDisplay::chunkText(all.at(i), txmode::kText);
    const auto withoutBreaks = [](QString s) {
        return s.remove(QLatin1Char('\n')).remove(QLatin1Char('\r')).remove(QChar::ParagraphSeparator);
    };
    QCOMPARE(withoutBreaks(render(d)), withoutBreaks(expected));
}

void TestRxDisplay::longRunsAreSplitIntoBoundedParagraphsWithIdenticalText_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::newRow("without timestamps") << QString();
    QTest::newRow("with timestamps") << QStringLiteral("[12:00:00.000]");  // shifts the hex by 17 characters
}

void TestRxDisplay::longRunsAreSplitIntoBoundedParagraphsWithIdenticalText()
{
    QFETCH(QString, stamp);
    RxDisplay& d = m_display;
    d.setClock([this] { return m_nNow += 100; }, [stamp] { return stamp; });
    d.setTimestamps(!stamp.isEmpty());
    const QString mark = stamp.isEmpty() ? QString() : stamp + QStringLiteral("<< ");
    QString expected;
    for (int i = 0; i < 200; ++i) {
        const QByteArray chunk = noZeroBytes(100 + i, i);
        d.addChunk(chunk, 0);
        expected += mark + hexDisplayText(chunk);
    }
    const QByteArray big = noZeroBytes(5000, 3);  // one chunk longer than a paragraph
    d.addChunk(big, 0);
    expected += mark + hexDisplayText(big);

    const QString view = render(d);
    const QStringList paragraphs = view.split(QLatin1Char('\n'));
    QVERIFY(paragraphs.size() > 1);
    const QRegularExpression wholePairs(QStringLiteral("^(\\[.*<< )?([0-9A-F]{2} ?)+$"));
    for (const QString& paragraph : paragraphs) {
        QVERIFY(paragraph.size() <= RxDisplay::kParagraphChars);
        QVERIFY2(wholePairs.match(paragraph).hasMatch(), qPrintable(paragraph.left(40)));
    }
    QCOMPARE(paragraphs.join(QString()), expected);
}

void TestRxDisplay::pendingTextBeyondTheViewCapIsDropped()
{
    RxDisplay& d = m_display;
    const QByteArray chunk = noZeroBytes(1000, 1);
    const int nChunks = RxDisplay::kViewChars / 3000 * 2;
    for (int i = 0; i < nChunks; ++i)
        d.addChunk(chunk, 0);
    bool bReset = false;
    const std::deque<RxSegment> segments = d.takePending(&bReset);
    QVERIFY(bReset);
    qint64 nChars = 0;
    for (const RxSegment& segment : segments)
        nChars += segment.strText.size();
    QVERIFY(nChars <= RxDisplay::kViewChars + RxDisplay::kViewChars / 4);
    QVERIFY(nChars >= RxDisplay::kViewChars / 2);
    QVERIFY(segments.back().strText.endsWith(hexDisplayText(chunk)));
}

void TestRxDisplay::pendingTextIsHandedOutInBoundedBatches()
{
    RxDisplay& d = m_display;
    d.setTimestamps(true);
    RxDisplay whole;
    whole.setClock([this] { return m_nNow; }, [] { return QStringLiteral("[T]"); });
    whole.setTimestamps(true);
    for (int i = 0; i < 300; ++i) {
        m_nNow += i % 3 == 0 ? 50 : 1;
        const QByteArray chunk = noZeroBytes(1 + i * 7 % 700, i);
        d.addChunk(chunk, i % 5 == 0 ? 1 : 0);
        whole.addChunk(chunk, i % 5 == 0 ? 1 : 0);
    }
    QString batched;
    while (d.hasPending()) {
        bool bReset = false;
        const std::deque<RxSegment> segments = d.takePending(&bReset, 1000);
        int nChars = 0;
        for (const RxSegment& segment : segments) {
            nChars += segment.strText.size();
            if (segment.bNewBlock)
                batched += QLatin1Char('\n');
            batched += segment.strText;
        }
        QVERIFY(nChars <= 1000);
    }
    QCOMPARE(batched, render(whole));
}

QTEST_APPLESS_MAIN(TestRxDisplay)
#include "tst_rxdisplay.moc"
