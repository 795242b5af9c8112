#include "stylesheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QRadioButton>
#include <QFile>
#include <QTemporaryFile>
#include <QTest>

#include <memory>

class TestStyleSheet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(resources); }
    void preprocesses_data();
    void preprocesses();
    void selfReferencingValueDoesNotLoopForever();
    void shippedSheetHasEveryVariableSubstituted();
    void shippedSheetDrawsWithShippedIcons();
    void loadAppliesFileUpToZeroByte();
    void loadReportsMissingFile();
    void indicatorsShowEveryState_data();
    void indicatorsShowEveryState();
};

void TestStyleSheet::preprocesses_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");

    QTest::newRow("block then rules")
        << "$text = #1E3354;\n$bg = #FDFDFD;\nQWidget { color: $text; background: $bg; }"
        << "\nQWidget { color:  #1E3354; background:  #FDFDFD; }";
    QTest::newRow("comments go first, old block with them")
        << "/* $text = #000000; */$text = red;a{color:$text;}/* tail */"
        << "a{color: red;}";
    QTest::newRow("later definition wins")
        << "$c = 1;$c = 2;x{v:$c;}" << "x{v: 2;}";
    // Stored as "$tex"; plain substring matching then rewrites "$text" as
    // the value followed by the orphaned last letter.
    QTest::newRow("no blank before = drops the last letter of the name")
        << "$text= red;a{color:$text;}" << "a{color: redt;}";
    QTest::newRow("semicolon before the block ends collection")
        << "a{b:c;}\n$text = red;\nd{color:$text;}" << "a{b:c;}\n$text = red;\nd{color:$text;}";
    QTest::newRow("text before the first definition goes with it")
        << "leading words\n$v = 9;w{x:$v;}" << "w{x: 9;}";
    QTest::newRow("no dollar: only comments removed")
        << "a { color: red; } /* note */ b { }" << "a { color: red; }  b { }";
    QTest::newRow("prefix names substitute inside longer ones")
        << "$a = X;$ab = Y;p{q:$ab;}" << "p{q: Xb;}";
    QTest::newRow("stray comment closer is dropped alone")
        << "a{} */ b{} /* c */ d{}" << "a{}  b{}  d{}";
    QTest::newRow("closer before an opener")
        << "x */ y /* z */" << "x  y ";
    QTest::newRow("empty name is ignored")
        << "$= 5;k{v:1;}" << "k{v:1;}";
}

void TestStyleSheet::preprocesses()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QCOMPARE(preprocessStyleSheet(input), output);
}

void TestStyleSheet::selfReferencingValueDoesNotLoopForever()
{
    QCOMPARE(preprocessStyleSheet("$a = $a$a;b{c:$a;}"), QString("b{c: $a$a;}"));
}

void TestStyleSheet::shippedSheetHasEveryVariableSubstituted()
{
    QFile file(":/qss/style.qss");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    QVERIFY(raw.startsWith("\xEF\xBB\xBF"));
    const QString sheet = preprocessStyleSheet(QString::fromUtf8(raw));
    QVERIFY2(!sheet.contains('$'), qPrintable(sheet.left(200)));
    QVERIFY(!sheet.contains("/*"));
    QVERIFY(sheet.contains("color:  #1E3354"));
    QVERIFY(sheet.contains("#05B8CC"));
    QVERIFY(sheet.contains("font: 9pt \"Microsoft YaHei\""));
    // The older palette inside the leading comment must not leak through.
    QVERIFY(!sheet.contains("#333333"));
}

void TestStyleSheet::shippedSheetDrawsWithShippedIcons()
{
    QFile file(":/qss/style.qss");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString sheet = preprocessStyleSheet(QString::fromUtf8(file.readAll()));
    for (const char* icon : { "arrow_down_32.png", "arrow_down_hover_32.png", "sizegrip_32.png" }) {
        QVERIFY2(sheet.contains(icon), icon);
        QVERIFY(QFile::exists(QString(":/ico/icon/") + icon));
    }
}

void TestStyleSheet::loadAppliesFileUpToZeroByte()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write("\xEF\xBB\xBF$c = #123456;QLabel{color:$c;}");
    file.write(QByteArray(1, '\0'));
    file.write("QPushButton{color:red;}");
    file.close();
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    QCOMPARE(loadStyleSheet(*app, file.fileName()), 0);
    QCOMPARE(app->styleSheet(), QString("QLabel{color: #123456;}"));
    app->setStyleSheet(QString());
}

void TestStyleSheet::loadReportsMissingFile()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    app->setStyleSheet("QWidget{}");
    QCOMPARE(loadStyleSheet(*app, "/nonexistent/style.qss"), -1);
    QCOMPARE(app->styleSheet(), QString("QWidget{}"));
    app->setStyleSheet(QString());
}

namespace {

// The indicator alone: a button without text, drawn with the shipped sheet.
QImage renderIndicator(QAbstractButton* button, bool bChecked, bool bEnabled, bool bHover)
{
    button->setChecked(bChecked);
    button->setEnabled(bEnabled);
    button->setAttribute(Qt::WA_UnderMouse, bHover);
    button->ensurePolished();
    button->resize(button->sizeHint());
    return button->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// An image all of whose pixels are the window background shows nothing.
bool showsSomething(const QImage& image)
{
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                return true;
        }
    }
    return false;
}

}  // namespace

void TestStyleSheet::indicatorsShowEveryState_data()
{
    QTest::addColumn<bool>("radio");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("hover");
    for (const bool radio : { false, true }) {
        const char* kind = radio ? "radio" : "check";
        QTest::addRow("%s", kind) << radio << true << false;
        QTest::addRow("%s disabled", kind) << radio << false << false;
        QTest::addRow("%s hover", kind) << radio << true << true;
    }
}

// Qt draws nothing for an indicator state that a styled sheet leaves out, so
// every state must be visible and ticked must differ from unticked.
void TestStyleSheet::indicatorsShowEveryState()
{
    QFETCH(bool, radio);
    QFETCH(bool, enabled);
    QFETCH(bool, hover);
    QCOMPARE(loadStyleSheet(*qApp, ":/qss/style.qss"), 0);
    std::unique_ptr<QAbstractButton> button;
    if (radio)
        button.reset(new QRadioButton);
    else
        button.reset(new QCheckBox);
    button->setAutoExclusive(false);
    const QImage unticked = renderIndicator(button.get(), false, enabled, hover);
    const QImage ticked = renderIndicator(button.get(), true, enabled, hover);
    qApp->setStyleSheet(QString());
    QVERIFY2(showsSomething(unticked), "unticked indicator is invisible");
    QVERIFY2(showsSomething(ticked), "ticked indicator is invisible");
    QVERIFY2(ticked != unticked, "ticked looks like unticked");
}

QTEST_MAIN(TestStyleSheet)
#include "tst_stylesheet.moc"
