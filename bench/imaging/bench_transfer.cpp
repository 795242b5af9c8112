// A 255-packet transfer to address 0 through the real serial worker over a
// pseudo-terminal, against a device that acknowledges each packet at once.
// Prints the total time and the turnaround from acknowledgement written to
// next packet read (median, p99).
#include "dtuframe.h"
#include "filetrans.h"
#include "portparam.h"
#include "workerserial.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Reads one frame from fd with poll(); false after timeoutMs of silence.
bool readFrame(int fd, QByteArray& buf, QByteArray& frame, int timeoutMs)
{
    for (;;) {
        int need = 9;
        if (buf.size() >= 9)
            need = qFromLittleEndian<quint16>(buf.constData() + 7) + 11;
        if (need > 9 && buf.size() >= need) {
            frame = buf.left(need);
            buf.remove(0, need);
            return true;
        }
        pollfd p { fd, POLLIN, 0 };
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
        char tmp[4096];
        const ssize_t n = ::read(fd, tmp, sizeof tmp);
        if (n > 0)
            buf.append(tmp, int(n));
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
    }
}

bool writeAll(int fd, const QByteArray& bytes)
{
    int done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += int(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());

    int controller = -1;
    int device = -1;
    char name[256] = {};
    if (openpty(&controller, &device, name, nullptr, nullptr) != 0)
        return 1;
    termios tio {};
    for (int fd : { controller, device }) {
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }

    registerPortParam();
    QThread thread;
    auto* worker = new WorkerSerial;
    worker->moveToThread(&thread);
    thread.start();
    PortParam p;
    p.baudRate = 115200;
    p.dataBits = 8;
    p.stopBits = 1;
    QMetaObject::invokeMethod(worker, "openPort", Q_ARG(QVariant, QVariant::fromValue(p)),
                              Q_ARG(QString, QString::fromLocal8Bit(name)));

    FileTrans page;
    page.setPortOpenQuery([worker] { return worker->isOpen(); });
    page.setMessageHook([](QMessageBox::Icon, const QString&, const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    QObject::connect(&page, &FileTrans::sendData, worker, &WorkerSerial::sendData);
    QObject::connect(worker, &WorkerSerial::dtuResponse, &page, &FileTrans::transResponse);

    // A raw file that makes a payload of exactly 255 packets.
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(Qt::gray);
    QByteArray file;
    QBuffer b(&file);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG");
    file.append(QByteArray(255 * 1024 - 16 - file.size(), 'x'));
    QFile f(dir.filePath("big.png"));
    f.open(QIODevice::WriteOnly);
    f.write(file);
    f.close();
    page.loadImageFile(f.fileName());
    page.findChild<QCheckBox*>("chkRle")->setChecked(false);
    page.findChild<QComboBox*>("cmbCompress")->setCurrentIndex(0);
    page.findChild<QLineEdit*>("editDstAddr")->setText("0");
    for (int i = 0; i < 500 && !worker->isOpen(); ++i)
        QThread::msleep(10);

    // The device acknowledges in its own thread; the GUI thread runs the page.
    std::vector<double> turnaround;
    std::atomic<bool> ok { true };
    std::atomic<bool> devDone { false };
    QElapsedTimer total;
    std::thread dev([&] {
        QByteArray buf;
        QByteArray frame;
        QElapsedTimer turn;
        for (int i = 0; i < 255; ++i) {
            if (!readFrame(controller, buf, frame, 3000)) {
                ok = false;
                break;
            }
            if (i > 0)
                turnaround.push_back(double(turn.nsecsElapsed()) / 1e6);
            const char a[3] = { char(255), frame[9 + 9], 0 };
            turn.start();
            writeAll(controller, encodeFrame(0, dtu::kCtlPacket, QByteArray(a, 3)));
        }
        devDone = true;
    });
    total.start();
    page.findChild<QPushButton*>("pbSend")->click();
    while ((page.isSending() || !devDone) && total.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    const double totalMs = double(total.nsecsElapsed()) / 1e6;
    dev.join();

    QMetaObject::invokeMethod(worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
    ::close(controller);
    ::close(device);

    if (!ok || page.isSending() || turnaround.size() != 254) {
        std::printf("transfer did not complete (%zu turnarounds)\n", turnaround.size());
        return 1;
    }
    std::sort(turnaround.begin(), turnaround.end());
    std::printf("255 packets, %d payload bytes: total %.1f ms\n", page.payload().size(), totalMs);
    std::printf("turnaround ack out -> next packet in: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                turnaround[turnaround.size() / 2], turnaround[turnaround.size() * 99 / 100], turnaround.back());
    return 0;
}
