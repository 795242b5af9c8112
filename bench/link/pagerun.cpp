#include "pagerun.h"

#include "dtuframe.h"
#include "filetrans.h"
#include "photo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>

namespace {

LinkRig::Via s_via = LinkRig::Via::Local;
QStringList s_serverOptions;

}  // namespace

void setBenchRoute(LinkRig::Via via, const QStringList& serverOptions)
{
    s_via = via;
    s_serverOptions = serverOptions;
}

Run transfer(const Setup& setup)
{
    Run r;
    SimConfig config;
    config.displays = { kBenchDisplay };
    config.wakeDelayMs = 0;
    config.drawDelayMs = 0;
    config.lineRate = setup.nLineRate;
    config.echo = false;
    LinkRig rig(config, s_via);
    rig.setServerOptions(s_serverOptions);
    QString error;
    if (!rig.start(error)) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(error));
        return r;
    }
    FileTrans page;
    rig.attach(&page);
    page.setMessageHook([](QMessageBox::Icon, const QString&, const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    if (page.loadImageFile(setup.file) != ImageLoadResult::Loaded) {
        std::fprintf(stderr, "cannot load %s\n", qPrintable(setup.file));
        return r;
    }
    page.findChild<QCheckBox*>("chkRle")->setChecked(setup.bRle);
    page.findChild<QComboBox*>("cmbCompress")->setCurrentIndex(setup.nCompress);
    page.findChild<QLineEdit*>("editDstAddr")->setText(QString::number(setup.nAddr));
    page.findChild<QLineEdit*>("editKeepTime")->setText("1000");

    QElapsedTimer clock;
    qint64 nFirstFrameNs = -1;
    qint64 nEndNs = -1;
    QObject::connect(&page, &FileTrans::sendData, &page, [&] {
        if (nFirstFrameNs < 0)
            nFirstFrameNs = clock.nsecsElapsed();
    });
    QTextEdit* log = page.findChild<QTextEdit*>("textEditLog");
    clock.start();
    page.findChild<QPushButton*>("pbSend")->click();
    // Armed after the click, which clears the log before sending starts.
    QObject::connect(log, &QTextEdit::textChanged, &page, [&] {
        if (nEndNs < 0 && !page.isSending())
            nEndNs = clock.nsecsElapsed();
    });
    if (!waitFor([&] { return nEndNs >= 0; }, 60000)) {
        std::fprintf(stderr, "the transfer did not end within a minute\n");
        return r;
    }
    // The display's state report follows the last acknowledgement at once;
    // let it cross, then leave it out: the transfer ended before it.
    waitFor([] { return false; }, 100);
    r.counts = rig.counts();
    if (r.counts.nImages > 0)
        r.counts.nBytesOut -= encodeFrame(kBenchDisplay, dtu::kCtlDisplayState, QByteArray(5, '\0')).size();
    r.ok = log->toPlainText().contains(QStringLiteral("本次发送完毕"));
    r.clickMs = double(nEndNs) / 1e6;
    r.lineMs = double(nEndNs - nFirstFrameNs) / 1e6;
    r.nPayload = page.payload().size();
    return r;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QString writeFullPayloadFile(const QDir& dir)
{
    const QString path = dir.filePath("full.bmp");
    makePhoto(240, 416).convertToFormat(QImage::Format_Grayscale8).save(path);
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return QString();
    const qint64 nWanted = 255 * 1024 - 16;
    QByteArray pad(int(nWanted - f.size()), '\0');
    QRandomGenerator rng(7);
    for (char& c : pad)
        c = char(rng.bounded(256));
    f.seek(f.size());
    f.write(pad);
    return f.size() == nWanted ? path : QString();
}
