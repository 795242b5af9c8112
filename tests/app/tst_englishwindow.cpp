#include "language.h"
#include "mainwindow.h"
#include "startup.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QSettings>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Han characters, CJK punctuation and full-width forms.
const QRegularExpression kChinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

QString nameOf(const QObject* object)
{
    QStringList path;
    for (; object; object = object->parent())
        path.prepend(object->objectName().isEmpty() ? object->metaObject()->className() : object->objectName());
    return path.join('/');
}

// Every text an object shows: its string properties (text, title, tool tip,
// place-holder, current text...), tab texts and the texts of item models.
QStringList textsOf(const QObject* object)
{
    QStringList texts;
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        // Names and style sheets are for the code, not for the operator.
        const bool shown = qstrcmp(property.name(), "objectName") != 0 && qstrcmp(property.name(), "styleSheet") != 0;
        if (property.type() == QVariant::String && shown)
            texts << property.read(object).toString();
        else if (property.type() == QVariant::StringList)
            texts << property.read(object).toStringList();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(object)) {
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
    }
    if (const auto* tabs = qobject_cast<const QTabBar*>(object)) {
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i) << tabs->tabToolTip(i);
    }
    if (const auto* view = qobject_cast<const QAbstractItemView*>(object); view && view->model()) {
        const QAbstractItemModel* model = view->model();
        for (int c = 0; c < model->columnCount(); ++c)
            texts << model->headerData(c, Qt::Horizontal).toString();
        for (int r = 0; r < model->rowCount(); ++r) {
            texts << model->headerData(r, Qt::Vertical).toString();
            for (int c = 0; c < model->columnCount(); ++c) {
                texts << model->index(r, c).data(Qt::DisplayRole).toString()
                      << model->index(r, c).data(Qt::ToolTipRole).toString();
            }
        }
    }
    return texts;
}

}  // namespace

// The main window built in English, every page shown and the bundled command
// file loaded, shows no Chinese anywhere.
class TestEnglishWindow : public QObject
{
    Q_OBJECT

private slots:
    void noChineseOnAnyWidget();
};

void TestEnglishWindow::noChineseOnAnyWidget()
{
    QTemporaryDir dir;
    const QString oldDir = QDir::currentPath();
    QDir::setCurrent(dir.path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    QVERIFY(QFile::copy(QStringLiteral(TELVANE_SHIPPED_CMDS), "cmds.json"));
    {
        QSettings ini("Telvane.ini", QSettings::IniFormat);
        ini.setValue("TabPicTransTest", true);
    }
    installTranslations(*qApp, Language::English);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QStringList found;
    QList<QObject*> objects{ &window };
    objects << window.findChildren<QObject*>();
    for (const QObject* object : qAsConst(objects)) {
        for (const QString& text : textsOf(object)) {
            if (text.contains(kChinese))
                found << QStringLiteral("%1: %2").arg(nameOf(object), text);
        }
    }
    QDir::setCurrent(oldDir);
    found.removeDuplicates();
    for (const QString& text : qAsConst(found))
        qWarning().noquote() << text;
    QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1 texts in Chinese").arg(found.size())));
    QVERIFY(window.windowTitle().startsWith("Telvane"));
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    initApplication(app);
    TestEnglishWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_englishwindow.moc"
