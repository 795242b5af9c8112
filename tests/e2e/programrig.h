#pragma once

#include "dtusimulator.h"
#include "mainwindow.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

class FileTrans;

// The whole program against a simulated DTU: the real main window with its
// serial worker thread, connected over a pseudo-terminal to a DtuSimulator
// that runs in this process. The simulator's pty is reached through a fixed
// link in the working directory, so a fresh simulator can take the place of
// one whose line was cut and the operator reopens the same port entry.
//
// Every message box of the window and its pages is recorded, never shown.
class ProgramRig
{
public:
    static constexpr quint32 kDisplay = 1674097996u;

    // dir: the working directory (Telvane.ini, cmds.json, data.bin, the link).
    explicit ProgramRig(const QString& dir);
    ~ProgramRig();
    ProgramRig(const ProgramRig&) = delete;
    ProgramRig& operator=(const ProgramRig&) = delete;

    // Short device delays, the shipped command file, one display.
    static SimConfig quickConfig();

    // Starts a simulator at the link, replacing an earlier one.
    bool startSimulator(const SimConfig& config, QString& error);
    void stopSimulator();
    // Builds and shows the window and opens the link (or strPort, given as
    // on the command line) through the panel.
    bool openWindow(QString& error, const QString& strPort = QString());
    // The simulator's device path, behind the fixed link.
    QString linkPath() const { return m_link; }
    // Presses the panel's open button and waits for the worker's port.
    bool openPort();
    void closeWindow();

    DtuSimulator* sim() const { return m_sim.get(); }
    MainWindow* window() const { return m_window.get(); }
    template <class T>
    T* child(const char* name) const;

    // "title:text" of each box shown since the last takeMessages().
    QStringList takeMessages();
    const QStringList& messages() const { return m_messages; }

    // What the pages' file chooser answers next; empty: cancelled.
    void chooseNextFile(const QString& path) { m_nextFile = path; }
    // The image page: import through its button, choose the mode, send.
    bool importImage(const QString& path);
    void setImageMode(bool bContainer, int nCompress);
    void pushImage(const QString& strAddr, const QString& strKeepTime = QStringLiteral("800"));
    // Waits until the page is idle and its log holds text.
    bool waitForLog(const QString& text, int nTimeoutMs = 15000);
    QString imageLog() const;
    QColor imageLogColour(const QString& text) const;
    FileTrans* imagePage() const;

private:
    QString m_dir;
    QString m_link;
    std::unique_ptr<DtuSimulator> m_sim;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_messages;
    QString m_nextFile;  // what the file chooser answers
};

// A display-sized grey picture: gradients for the dither, flat black and
// white areas, and an edge that is neither.
QImage sampleGreyImage();
// A small colour picture for sending as a file.
QImage samplePhoto();

// The display's view of a grey image: ordered dither with the 8 x 8 Bayer
// matrix to black and white, computed here from the matrix rule alone.
QImage bayerDithered(const QImage& grey);

// First differing pixel of two images of one size, as text; empty when equal.
QString firstPixelDifference(const QImage& a, const QImage& b);

template <class T>
T* ProgramRig::child(const char* name) const
{
    return m_window ? m_window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}
