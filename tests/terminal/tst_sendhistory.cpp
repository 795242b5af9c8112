#include "sendhistory.h"

#include <QTest>

class TestSendHistory : public QObject
{
    Q_OBJECT

private slots:
    void keepsNewestFirstWithoutRepeats_data();
    void keepsNewestFirstWithoutRepeats();
    void walkGoesOlderAndBackToTheDraft();
};

void TestSendHistory::keepsNewestFirstWithoutRepeats_data()
{
    QTest::addColumn<QStringList>("stored");  // as loaded from the settings
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("newest first") << QStringList() << QStringList{"a", "b", "c"} << QStringList{"c", "b", "a"};
    QTest::newRow("a repeat moves to the front") << QStringList{"b", "a"} << QStringList{"a"} << QStringList{"a", "b"};
    QTest::newRow("empty text is not kept") << QStringList() << QStringList{"a", ""} << QStringList{"a"};
    QTest::newRow("stored list is cleaned") << QStringList{"x", "", "y", "x"} << QStringList() << QStringList{"x", "y"};
    QStringList many;
    for (int i = 0; i < SendHistory::kMaxItems + 5; ++i)
        many << QString::number(i);
    QStringList newestFifty;
    for (int i = SendHistory::kMaxItems + 4; i >= 5; --i)
        newestFifty << QString::number(i);
    QTest::newRow("at most fifty sent") << QStringList() << many << newestFifty;
    QTest::newRow("at most fifty stored") << many << QStringList() << QStringList(many.mid(0, SendHistory::kMaxItems));
}

void TestSendHistory::keepsNewestFirstWithoutRepeats()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, sent);
    QFETCH(QStringList, expected);
    SendHistory history;
    history.setItems(stored);
    for (const QString& text : sent)
        history.add(text);
    QCOMPARE(history.items(), expected);
}

void TestSendHistory::walkGoesOlderAndBackToTheDraft()
{
    SendHistory history;
    QString text;
    QVERIFY(!history.older("draft", &text));
    history.setItems({"new", "old"});
    QVERIFY(!history.newer(&text));  // not walking yet

    QStringList seen;
    while (history.older(seen.isEmpty() ? QString("draft") : seen.last(), &text))
        seen << text;
    QCOMPARE(seen, QStringList({"new", "old"}));
    QVERIFY(history.newer(&text));
    QCOMPARE(text, QString("new"));
    QVERIFY(history.newer(&text));
    QCOMPARE(text, QString("draft"));
    QVERIFY(!history.newer(&text));

    // Sending ends the walk: the next step starts at the newest again.
    QVERIFY(history.older("x", &text));
    history.add("sent");
    QVERIFY(history.older("", &text));
    QCOMPARE(text, QString("sent"));
}

QTEST_APPLESS_MAIN(TestSendHistory)
#include "tst_sendhistory.moc"
