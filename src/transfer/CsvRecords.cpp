#include "CsvRecords.h"

namespace {

bool isLineBreak(QChar ch)
{
    return ch == u'\n' || ch == u'\r';
}

// What a spreadsheet program would take for the start of a formula.
bool startsFormula(QChar ch)
{
    return ch == u'=' || ch == u'+' || ch == u'-' || ch == u'@' || ch == u'\t' || ch == u'\r';
}

[[noreturn]] void quoteLeftOpen(long line)
{
    throw ImportFileError(QStringLiteral("第 %1 行开始的引号没有结束（单元格中的引号要写成两个 "
                                         "\"\"），整个文件没有导入。")
                              .arg(line));
}

} // namespace

QString CsvRecords::unshielded(QString cell)
{
    if (cell.size() >= 2 && cell[0] == u'\'' && startsFormula(cell[1]))
        cell.remove(0, 1);
    return cell;
}

// A record longer than any list of summaries holds ends the reading; one still in a quote names
// the line the quote opened on, since that is where the file went wrong.
void CsvRecords::count(qsizetype characters, long quoteLine)
{
    m_recordCharacters += characters;
    if (m_recordCharacters <= kMaxRowCharacters)
        return;
    if (quoteLine > 0)
        quoteLeftOpen(quoteLine);
    throw ImportFileError(QStringLiteral("第 %1 行超过 %2 个字符，不是常用摘要的文件，整个文件没有"
                                         "导入。")
                              .arg(m_recordLine)
                              .arg(kMaxRowCharacters));
}

// Reads one field and what ends it; a line break ends the record (CR LF counts once).
QString CsvRecords::field(bool &endOfRecord)
{
    QString value;
    const qsizetype size = m_text.size();
    if (m_pos < size && m_text[m_pos] == u'"') {
        const long quoteLine = m_line;
        ++m_pos;
        for (;;) {
            if (m_pos >= size)
                quoteLeftOpen(quoteLine);
            const QChar ch = m_text[m_pos++];
            count(1, quoteLine);
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
    count(m_pos - start + 1, 0);
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
    return unshielded(std::move(value));
}

bool CsvRecords::next(QStringList &fields, long &line)
{
    fields.clear();
    if (m_pos >= m_text.size())
        return false;
    line = m_recordLine = m_line;
    m_recordCharacters = 0;
    bool endOfRecord = false;
    while (!endOfRecord)
        fields.append(field(endOfRecord));
    return true;
}

double CsvRecords::done() const
{
    return m_text.isEmpty() ? 1.0 : double(m_pos) / double(m_text.size());
}
