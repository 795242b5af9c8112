#include "sendhistory.h"

void SendHistory::add(const QString& strText)
{
    m_nPos = -1;
    if (strText.isEmpty())
        return;
    m_items.removeAll(strText);
    m_items.prepend(strText);
    while (m_items.size() > kMaxItems)
        m_items.removeLast();
}

void SendHistory::setItems(const QStringList& items)
{
    m_items.clear();
    m_nPos = -1;
    for (const QString& strText : items) {
        if (m_items.size() == kMaxItems)
            break;
        if (!strText.isEmpty() && !m_items.contains(strText))
            m_items.append(strText);
    }
}

bool SendHistory::older(const QString& strCurrent, QString* pstrText)
{
    if (m_nPos + 1 >= m_items.size())
        return false;
    if (m_nPos < 0)
        m_strDraft = strCurrent;
    *pstrText = m_items.at(++m_nPos);
    return true;
}

bool SendHistory::newer(QString* pstrText)
{
    if (m_nPos < 0)
        return false;
    --m_nPos;
    *pstrText = m_nPos < 0 ? m_strDraft : m_items.at(m_nPos);
    return true;
}
