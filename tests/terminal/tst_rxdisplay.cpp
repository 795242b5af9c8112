#include "hexcodec.h"
#include "rxdisplay.h"

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

}  // namespace

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
    void characterModeEndsAtZeroByte();
    void switchingModeReRendersStoreInLowercase();
    void switchingModeWithEmptyStoreChangesNothing();
    void decodedAnswerIsAParagraphButNotStored();
    void storeKeepsTheMostRecentDataWithinItsCap();
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
    QCOMPARE(d.store(), QByteArray("aabb01ccdd"));
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
    QCOMPARE(d.store(), QByteArray("aa0102"));  // sent data is not kept
}

void TestRxDisplay::characterModeEndsAtZeroByte()
{
    RxDisplay& d = m_display;
    QVERIFY(!d.setMode(txmode::kText));
    d.addChunk(QByteArray("A\0B", 3), 0);
    QCOMPARE(render(d), QStringLiteral("A"));
    QCOMPARE(d.store(), QByteArray("A\0B", 3));
}

void TestRxDisplay::switchingModeReRendersStoreInLowercase()
{
    RxDisplay& d = m_display;
    d.setMode(txmode::kText);
    d.setTimestamps(true);
    d.addChunk(QByteArray::fromHex("AB"), 0);
    d.addChunk(QByteArray::fromHex("0D"), 0);
    d.addParagraph(QStringLiteral("decoded"));
    QString view = render(d);

    QVERIFY(d.setMode(txmode::kHex));
    view = render(d, view);
    QCOMPARE(view, QStringLiteral("ab 0d"));  // marks and answers vanish
    QCOMPARE(d.store(), QByteArray("ab0d"));
    d.setTimestamps(false);
    d.addChunk(QByteArray::fromHex("CD"), 0);
    QCOMPARE(render(d, view), QStringLiteral("ab 0dCD"));

    // And back: hex digits become bytes up to the first zero.
    d.addChunk(QByteArray::fromHex("00EF"), 0);
    QVERIFY(d.setMode(txmode::kText));
    QCOMPARE(d.store(), QByteArray::fromHex("AB0DCD"));
    QCOMPARE(render(d, view), QString::fromUtf8(QByteArray::fromHex("AB0DCD")));
}

void TestRxDisplay::switchingModeWithEmptyStoreChangesNothing()
{
    RxDisplay& d = m_display;
    d.addChunk("\x01", 1);  // sent only: the store stays empty
    const QString view = render(d);
    QVERIFY(!d.setMode(txmode::kText));
    QVERIFY(!d.hasPending());
    QCOMPARE(render(d, view), QStringLiteral("01"));
}

void TestRxDisplay::decodedAnswerIsAParagraphButNotStored()
{
    RxDisplay& d = m_display;
    d.addParagraph(QStringLiteral("first"));
    d.addChunk("\x01", 0);
    d.addParagraph(QStringLiteral("second"));
    QCOMPARE(render(d), QStringLiteral("first01\nsecond"));
    QCOMPARE(d.store(), QByteArray("01"));
}

void TestRxDisplay::storeKeepsTheMostRecentDataWithinItsCap()
{
    RxDisplay& d = m_display;
    QByteArray all;
    for (int i = 0; i < 3 * 1024; ++i) {
        const QByteArray chunk = noZeroBytes(1024, i);
        all += chunk;
        d.addChunk(chunk, 0);
        QVERIFY(d.store().size() <= 2 * RxDisplay::kStoreCapBytes * 5 / 4);
        render(d);
    }
    const QByteArray store = d.store();
    QVERIFY(store.size() >= 2 * RxDisplay::kStoreCapBytes);
    QVERIFY(store.size() % 2 == 0);
    QCOMPARE(store, bytesToHex(all.right(store.size() / 2)));

    // Character mode re-renders exactly that tail.
    QVERIFY(d.setMode(txmode::kText));
    QCOMPARE(d.store(), all.right(store.size() / 2));
    const auto withoutBreaks = [](QString s) {
        return s.remove(QLatin1Char('\n')).remove(QLatin1Char('\r')).remove(QChar::ParagraphSeparator);
    };
    QCOMPARE(withoutBreaks(render(d)), withoutBreaks(QString::fromUtf8(d.store())));
}

void TestRxDisplay::longRunsAreSplitIntoBoundedParagraphsWithIdenticalText()
{
    RxDisplay& d = m_display;
    QString expected;
    for (int i = 0; i < 200; ++i) {
        const QByteArray chunk = noZeroBytes(100 + i, i);
        d.addChunk(chunk, 0);
        expected += hexDisplayText(chunk);
    }
    const QByteArray big = noZeroBytes(5000, 3);  // one chunk longer than a paragraph
    d.addChunk(big, 0);
    expected += hexDisplayText(big);

    const QString view = render(d);
    const QStringList paragraphs = view.split(QLatin1Char('\n'));
    QVERIFY(paragraphs.size() > 1);
    for (const QString& paragraph : paragraphs) {
        QVERIFY(paragraph.size() <= RxDisplay::kParagraphChars);
        QVERIFY(!paragraph.startsWith(QLatin1Char(' ')));  // hex pairs are never cut
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
