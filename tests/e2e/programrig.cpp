#include "programrig.h"

#include "cfgserial.h"
#include "filetrans.h"
#include "rxtx.h"
#include "transtest.h"
#include "workerserial.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <vector>

ProgramRig::ProgramRig(const QString& dir)
    : m_dir(dir)
    , m_link(QDir(dir).filePath("dtu"))
{
}

ProgramRig::~ProgramRig()
{
    closeWindow();
    stopSimulator();
}

SimConfig ProgramRig::quickConfig()
{
    SimConfig config;
    config.cmdFile = QStringLiteral(TELVANE_SHIPPED_CMDS);
    config.displays = { kDisplay };
    config.wakeDelayMs = 20;
    config.drawDelayMs = 20;
    return config;
}

bool ProgramRig::startSimulator(const SimConfig& config, QString& error)
{
    // The old simulator removes its link when it goes: let it go first.
    stopSimulator();
    SimConfig c = config;
    c.link = m_link;
    m_sim = std::make_unique<DtuSimulator>(c);
    return m_sim->start(error);
}

void ProgramRig::stopSimulator()
{
    m_sim.reset();
}

bool ProgramRig::openWindow(QString& error, const QString& strPort)
{
    closeWindow();
    const QString strOpen = strPort.isEmpty() ? m_link : strPort;
    m_window = std::make_unique<MainWindow>(QStringList { strOpen });
    auto record = [this](QMessageBox::Icon, const QString& title, const QString& text) {
        m_messages << title + ":" + text;
    };
    m_window->setMessageHook(record);
    child<CfgSerial>("groupCfgSerial")->setMessageHook(record);
    child<FileTrans>("tabFileTrans")->setMessageHook(record);
    child<TransTest>("tabTransTest")->setMessageHook(record);
    child<RxTx>("tabRxTx")->setMessageHook([this](QMessageBox::Icon, const QString& title, const QString& text) {
        m_messages << title + ":" + text;
    });
    auto chooser = [this](QWidget*, const QString&) { return m_nextFile; };
    child<FileTrans>("tabFileTrans")->setFileChooser(chooser);
    child<TransTest>("tabTransTest")->setFileChooser(chooser);
    m_window->show();
    if (!openPort()) {
        error = QString("the port %1 did not open: %2").arg(strOpen, m_messages.join(" | "));
        return false;
    }
    return true;
}

bool ProgramRig::openPort()
{
    auto* button = child<QPushButton>("pbConnect");
    if (!button || !m_window)
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return QTest::qWaitFor([this] { return m_window->worker()->isOpen(); }, 10000);
}

void ProgramRig::closeWindow()
{
    if (m_window)
        m_window->close();
    m_window.reset();
}

QStringList ProgramRig::takeMessages()
{
    QStringList taken;
    taken.swap(m_messages);
    return taken;
}

FileTrans* ProgramRig::imagePage() const
{
    return child<FileTrans>("tabFileTrans");
}

bool ProgramRig::importImage(const QString& path)
{
    m_nextFile = path;
    QTest::mouseClick(imagePage()->findChild<QPushButton*>("pbFileImport"), Qt::LeftButton);
    return imagePage()->findChild<QLineEdit*>("editPath")->text() == QFileInfo(path).absoluteFilePath();
}

void ProgramRig::setImageMode(bool bContainer, int nCompress)
{
    imagePage()->findChild<QCheckBox*>("chkRle")->setChecked(bContainer);
    auto* cmb = imagePage()->findChild<QComboBox*>("cmbCompress");
    cmb->setCurrentIndex(cmb->findData(nCompress));
}

void ProgramRig::pushImage(const QString& strAddr, const QString& strKeepTime)
{
    imagePage()->findChild<QLineEdit*>("editDstAddr")->setText(strAddr);
    imagePage()->findChild<QLineEdit*>("editKeepTime")->setText(strKeepTime);
    QTest::mouseClick(imagePage()->findChild<QPushButton*>("pbSend"), Qt::LeftButton);
}

bool ProgramRig::waitForLog(const QString& text, int nTimeoutMs)
{
    return QTest::qWaitFor([&] { return !imagePage()->isSending() && imageLog().contains(text); }, nTimeoutMs);
}

QString ProgramRig::imageLog() const
{
    return imagePage()->findChild<QTextEdit*>("textEditLog")->toPlainText();
}

QColor ProgramRig::imageLogColour(const QString& text) const
{
    const QTextDocument* doc = imagePage()->findChild<QTextEdit*>("textEditLog")->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(text))
                return it.fragment().charFormat().foreground().color();
    return QColor();
}

namespace {

// Bayer index matrix built by doubling: each entry e of the n x n matrix
// becomes 4e, 4e + 2, 4e + 3, 4e + 1 in the four quadrants.
std::vector<std::vector<int>> bayer(int n)
{
    std::vector<std::vector<int>> m { { 0 } };
    for (int size = 1; size < n; size *= 2) {
        std::vector<std::vector<int>> next(size_t(2 * size), std::vector<int>(size_t(2 * size)));
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const int e = 4 * m[size_t(y)][size_t(x)];
                next[size_t(y)][size_t(x)] = e;
                next[size_t(y)][size_t(x + size)] = e + 2;
                next[size_t(y + size)][size_t(x)] = e + 3;
                next[size_t(y + size)][size_t(x + size)] = e + 1;
            }
        }
        m.swap(next);
    }
    return m;
}

}  // namespace

QImage sampleGreyImage()
{
    QImage grey(240, 416, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            grey.scanLine(y)[x] = uchar(y < 208 ? x * 255 / 239 : (x + y) % 256);
    {
        QPainter p(&grey);
        p.fillRect(20, 40, 60, 50, Qt::black);
        p.fillRect(150, 300, 70, 90, Qt::white);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(90, 90, 90));
        p.drawEllipse(QPoint(120, 200), 70, 40);
    }
    return grey;
}

QImage samplePhoto()
{
    QImage photo(100, 60, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 2, y * 4, (x * y) % 256));
    return photo;
}

QImage bayerDithered(const QImage& grey)
{
    const auto m = bayer(8);
    QImage out(grey.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* src = grey.constScanLine(y);
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            const int v = src[x];
            dst[x] = (v == 255 || v * 64 / 255 > m[size_t(y % 8)][size_t(x % 8)]) ? 255 : 0;
        }
    }
    return out;
}

QString firstPixelDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return QString("size %1x%2 against %3x%4").arg(a.width()).arg(a.height()).arg(b.width()).arg(b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QString("pixel (%1, %2): %3 against %4")
                    .arg(x).arg(y).arg(a.pixel(x, y), 0, 16).arg(b.pixel(x, y), 0, 16);
    return QString();
}
