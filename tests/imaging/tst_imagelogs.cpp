#include "filetrans.h"
#include "pagesupport.h"
#include "transtest.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <functional>
#include <memory>

using PageFactory = std::function<QWidget*()>;
Q_DECLARE_METATYPE(PageFactory)

class TestImageLogs : public QObject
{
    Q_OBJECT

private slots:
    void logViewKeepsNewestLinesOnly_data();
    void logViewKeepsNewestLinesOnly();
};

void TestImageLogs::logViewKeepsNewestLinesOnly_data()
{
    QTest::addColumn<PageFactory>("makePage");
    QTest::newRow("发送图片") << PageFactory([] { return new FileTrans; });
    QTest::newRow("发送测试") << PageFactory([] { return new TransTest; });
}

void TestImageLogs::logViewKeepsNewestLinesOnly()
{
    QFETCH(PageFactory, makePage);
    std::unique_ptr<QWidget> page(makePage());
    auto* log = page->findChild<QTextEdit*>(QStringLiteral("textEditLog"));
    QVERIFY(log);

    const int nLines = kLogMaxBlocks + 500;
    for (int i = 1; i <= nLines; ++i)
        appendLog(log, LogLine { QStringLiteral("line %1").arg(i), i % 2 ? LogSeverity::Plain : LogSeverity::Failure });
    QTextDocument* doc = log->document();
    QVERIFY2(doc->blockCount() <= kLogMaxBlocks, qPrintable(QString::number(doc->blockCount())));
    // The last block is the empty one after the final line break.
    QCOMPARE(doc->lastBlock().previous().text(), QStringLiteral("line %1").arg(nLines));
    QVERIFY(doc->firstBlock().text() != QStringLiteral("line 1"));
    QVERIFY(!doc->isUndoAvailable());
}

QTEST_MAIN(TestImageLogs)
#include "tst_imagelogs.moc"
