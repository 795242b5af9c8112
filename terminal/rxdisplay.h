#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <climits>
#include <deque>
#include <functional>

// One piece of pending receive-view output: start a new paragraph first
// (when bNewBlock), then append strText to the last paragraph.
struct RxSegment
{
    bool bNewBlock = false;
    QString strText;
};

// One thing the view showed, kept so that it can be shown again in another
// display mode exactly as live rendering would have shown it.
struct RxEntry
{
    enum Kind : qint8 { Received = 0, Sent = 1, Answer = 2 };
    Kind kind = Received;
    QByteArray data;   // the chunk as it passed the port (empty for answers)
    QString strText;   // chunks: time and direction mark when the chunk starts a line; answers: the text
};

// The receive display's decisions, free of widgets: line starts with
// timestamps and direction marks, the sub-packet time-out, hex or character
// rendering, the store used to re-render on a mode change, and the text
// waiting to be inserted into the view in one batch.
//
// Bounds (so a day of logging at a high rate neither exhausts memory nor
// freezes the GUI):
// - the store keeps the most recent entries, at most kStoreCapBytes of chunk
//   data and kStoreCapEntries entries; a mode change re-renders them;
// - no paragraph grows beyond kParagraphChars: longer runs continue in a
//   new paragraph, so text layout cost per insert stays bounded;
// - the view keeps at most kViewChars characters (the page drops the oldest
//   paragraphs); pending text beyond that is dropped before it is inserted.
class RxDisplay
{
public:
    // The view lays out roughly a million characters a second, so it keeps
    // about a second's worth; the store holds what the view can show in hex.
    static constexpr int kViewChars = 1 << 20;
    static constexpr int kStoreCapBytes = kViewChars / 4;
    static constexpr int kStoreCapEntries = kStoreCapBytes / 16;
    static constexpr int kParagraphChars = 3072;
    static constexpr int kMinSubPkgTime = 20;
    // Character mode shows a zero byte as this visible sign.
    static constexpr char16_t kZeroSign = 0x2400;

    using Clock = std::function<qint64()>;      // monotonic milliseconds
    using TimeText = std::function<QString()>;  // "[hh:mm:ss.zzz]"

    RxDisplay();

    // Replaces the time sources (tests use fixed ones).
    void setClock(Clock clock, TimeText timeText);

    void setTimestamps(bool bOn) { m_bTimestamps = bOn; }
    bool timestamps() const { return m_bTimestamps; }

    // Applies a sub-packet time-out; false (nothing changes) when the value
    // is outside [20, 2147483647). Restarts the receive line timer.
    bool applySubPkgTime(qint64 nMs);
    int subPkgTime() const { return m_nSubPkgTime; }

    // One chunk that passed the port: nDir 0 received, 1 sent.
    void addChunk(const QByteArray& data, int nDir);
    // A decoded answer as a paragraph of its own.
    void addParagraph(const QString& strText);

    // Switches between hex (0) and character (1) display. Returns true when
    // the view is to be replaced with the store re-rendered (the store was
    // not empty).
    bool setMode(int nMode);
    int mode() const { return m_nRxMode; }

    // Empties store and view.
    void clear();

    // Hands out up to nMaxChars of the text waiting for the view; *pbReset
    // tells the caller to empty the view first.
    std::deque<RxSegment> takePending(bool* pbReset, int nMaxChars = INT_MAX);
    bool hasPending() const { return m_bResetView || !m_pending.empty(); }

    const std::deque<RxEntry>& store() const { return m_rxStore; }
    // The received chunks in the store, joined.
    QByteArray receivedBytes() const;

    // How a chunk's bytes read in a display mode: uppercase hex pairs
    // separated by spaces, or UTF-8 text with zero bytes made visible.
    static QString chunkText(const QByteArray& data, int nMode);

private:
    void keep(RxEntry entry);
    void render(const RxEntry& entry);
    void emitText(QString strText, bool bNewBlock);
    void startParagraph();
    void push(const QString& strText);
    void resetView();

    Clock m_clock;
    TimeText m_timeText;
    bool m_bTimestamps = false;
    int m_nRxMode = 0;
    int m_nSubPkgTime = kMinSubPkgTime;
    qint64 m_rxTimer = -1;  // clock value at the start of the current received line; -1: never started
    std::deque<RxEntry> m_rxStore;
    qint64 m_nStoreBytes = 0;

    std::deque<RxSegment> m_pending;
    qint64 m_nPendingChars = 0;
    bool m_bResetView = false;
    bool m_bViewEmpty = true;  // nothing shown since the view was last emptied
    int m_nParaLen = 0;        // characters in the view's last paragraph
};
