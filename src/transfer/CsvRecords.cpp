#include "CsvRecords.h"

namespace {

bool isLineBreak(QChar ch)
{
    return ch == u'\n' || ch == u'\r';
}

} // namespace

// Reads one field and what ends it; a line break ends the record (CR LF counts once).
QString CsvRecords::field(bool &endOfRecord)
{
    QString value;
    const qsizetype size = m_text.size();
    if (m_pos < size && m_text[m_pos] == u'"') {
        ++m_pos;
        while (m_pos < size) {
            const QChar ch = m_text[m_pos++];
            if (ch == u'"') {
                if (m_pos < size && m_text[m_pos] == u'"') {
                    value += u'"';
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (ch == u'\n' || (ch == u'\r' && (m_pos >= size || m_text[m_pos] != u'\n')))
                ++m_line;
            value += ch;
        }
    }
    // Unquoted, or what follows a closing quote up to the separator.
    const qsizetype start = m_pos;
    while (m_pos < size && m_text[m_pos] != u',' && !isLineBreak(m_text[m_pos]))
        ++m_pos;
    value += m_text.mid(start, m_pos - start);
    endOfRecord = m_pos >= size || isLineBreak(m_text[m_pos]);
    if (m_pos < size && m_text[m_pos] == u',') {
        ++m_pos;
    } else if (m_pos < size) {
        if (m_text[m_pos] == u'\r' && m_pos + 1 < size && m_text[m_pos + 1] == u'\n')
            ++m_pos;
        ++m_pos;
        ++m_line;
    }
    return value;
}

bool CsvRecords::next(QStringList &fields, long &line)
{
    fields.clear();
    if (m_pos >= m_text.size())
        return false;
    line = m_line;
    bool endOfRecord = false;
    while (!endOfRecord)
        fields.append(field(endOfRecord));
    return true;
}

double CsvRecords::done() const
{
    return m_text.isEmpty() ? 1.0 : double(m_pos) / double(m_text.size());
}
