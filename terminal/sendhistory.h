#pragma once

#include <QString>
#include <QStringList>

// The texts sent last, newest first, without repeats, at most kMaxItems;
// and a walk through them from the send box (older / newer), as a shell
// walks its history: the text being typed is kept and comes back at the
// newest end.
class SendHistory
{
public:
    static constexpr int kMaxItems = 50;

    // Puts strText first (moving it there if it was kept already) and ends any walk.
    void add(const QString& strText);
    // Replaces the list (from the settings), dropping empties, repeats and the excess.
    void setItems(const QStringList& items);
    const QStringList& items() const { return m_items; }

    // One step older; strCurrent is the send box's text, kept as the draft
    // on the first step. False at the oldest end.
    bool older(const QString& strCurrent, QString* pstrText);
    // One step newer, ending with the draft. False when not walking.
    bool newer(QString* pstrText);

private:
    QStringList m_items;
    QString m_strDraft;
    int m_nPos = -1;  // index in m_items being shown; -1: the draft
};
