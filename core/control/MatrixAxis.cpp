#include "MatrixAxis.h"

void MatrixAxis::clear()
{
    m_items.clear();
    m_headers.clear();
}

int MatrixAxis::indexOf(const QString& id, int channel) const
{
    const int header = headerOf(id);
    if (header < 0 || channel < 0)
        return -1;
    const int pos = header + channel;
    if (pos >= m_items.size() || m_items.at(pos).channel != channel || m_items.at(pos).id != id)
        return -1;
    return pos;
}

int MatrixAxis::channelCount(int headerPos) const
{
    int n = 0;
    for (int p = headerPos + 1; p < m_items.size() && m_items.at(p).channel != 0; ++p)
        ++n;
    return n;
}

QVector<int> MatrixAxis::headerPositions() const
{
    QVector<int> out;
    for (int p = 0; p < m_items.size(); ++p)
        if (m_items.at(p).channel == 0)
            out.append(p);
    return out;
}

int MatrixAxis::find(const QString& text, int from) const
{
    const QString needle = text.trimmed();
    if (needle.isEmpty() || m_items.isEmpty())
        return -1;
    const int n = m_items.size();
    for (int k = 0; k < n; ++k) {
        const int p = (from + k) % n;
        if (label(p).contains(needle, Qt::CaseInsensitive))
            return p;
    }
    return -1;
}

QString MatrixAxis::label(int pos) const
{
    if (!isValid(pos))
        return QString();
    const AxisItem& item = m_items.at(pos);
    return item.channel == 0 ? item.name : item.name + QLatin1Char(':') + item.secondName;
}
