#include "WorkbookRecords.h"

#include <QHash>
#include <QRegularExpression>

namespace {

// A sheet's rows may be many; its parts that describe the workbook are small.
constexpr qint64 kMaxSheetBytes = qint64(4) << 30;
constexpr qint64 kMaxSharedBytes = qint64(1) << 30;
constexpr int kMaxColumns = 16384;

[[noreturn]] void notAWorkbook(const QString &what)
{
    throw ImportFileError(
        QStringLiteral("不是完好的 Excel 工作簿（%1），整个文件没有导入。").arg(what));
}

struct Relation
{
    QString type;
    QString target;
};

// A part's relations by id, their targets as paths inside the archive.
QHash<QString, Relation> relations(const ZipArchive &archive, const QString &part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    const QString folder = part.left(slash + 1);
    const QString path =
        folder + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
    QHash<QString, Relation> found;
    if (!archive.contains(path))
        return found;
    QXmlStreamReader xml(archive.read(path));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement ||
            xml.name() != QLatin1String("Relationship"))
            continue;
        const auto attributes = xml.attributes();
        QString target = attributes.value(QLatin1String("Target")).toString();
        target = target.startsWith(QLatin1Char('/')) ? target.mid(1) : folder + target;
        found.insert(attributes.value(QLatin1String("Id")).toString(),
                     {attributes.value(QLatin1String("Type")).toString(), target});
    }
    return found;
}

QString relatedOfType(const QHash<QString, Relation> &related, QLatin1String type)
{
    for (const Relation &relation : related) {
        if (relation.type.endsWith(type))
            return relation.target;
    }
    return {};
}

// The relation id of the workbook's first sheet (its r:id, whatever the prefix is bound to).
QString firstSheetId(const QByteArray &workbook)
{
    QXmlStreamReader xml(workbook);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement ||
            xml.name() != QLatin1String("sheet"))
            continue;
        for (const auto &attribute : xml.attributes()) {
            if (attribute.name() == QLatin1String("id"))
                return attribute.value().toString();
        }
    }
    return {};
}

// Characters a cell cannot hold in XML are written as _xHHHH_.
QString unescaped(QString text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString result;
    qsizetype last = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        result += QStringView(text).mid(last, match.capturedStart() - last);
        result += QChar(char16_t(match.captured(1).toUShort(nullptr, 16)));
        last = match.capturedEnd();
    }
    result += QStringView(text).mid(last);
    return result;
}

// "AB12" -> 27 (from 0); -1 when the reference names no column.
int columnOf(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        column = column * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
        if (column > kMaxColumns)
            return -1;
    }
    return i == 0 ? -1 : column - 1;
}

} // namespace

WorkbookRecords::WorkbookRecords(const QByteArray &bytes)
    : m_archive(bytes)
{
    QString workbook =
        relatedOfType(relations(m_archive, QString()), QLatin1String("/officeDocument"));
    if (workbook.isEmpty())
        workbook = QStringLiteral("xl/workbook.xml");
    if (!m_archive.contains(workbook))
        notAWorkbook(QStringLiteral("没有工作簿"));
    const auto related = relations(m_archive, workbook);
    const QString sheet = related.value(firstSheetId(m_archive.read(workbook))).target;
    if (sheet.isEmpty() || !m_archive.contains(sheet))
        notAWorkbook(QStringLiteral("没有工作表"));

    const QString shared = relatedOfType(related, QLatin1String("/sharedStrings"));
    if (!shared.isEmpty() && m_archive.contains(shared)) {
        const auto part = m_archive.open(shared, kMaxSharedBytes);
        m_xml.setDevice(part.get());
        while (!m_xml.atEnd()) {
            if (m_xml.readNext() == QXmlStreamReader::StartElement &&
                m_xml.name() == QLatin1String("si"))
                m_shared.append(richText(QStringLiteral("si")));
        }
        if (m_xml.hasError())
            damaged(*part, m_xml);
    }
    const QString styles = relatedOfType(related, QLatin1String("/styles"));
    if (!styles.isEmpty() && m_archive.contains(styles))
        m_numbers.read(*m_archive.open(styles, kMaxSharedBytes));

    m_sheet = m_archive.open(sheet, kMaxSheetBytes);
    m_xml.clear();
    m_xml.setDevice(m_sheet.get());
}

// The text of a shared or inline string: its runs, without the phonetic guides above them.
QString WorkbookRecords::richText(const QString &element)
{
    QString text;
    int phonetic = 0;
    while (!m_xml.atEnd()) {
        m_xml.readNext();
        if (m_xml.isEndElement() && m_xml.name() == element)
            break;
        if (m_xml.isStartElement() && m_xml.name() == QLatin1String("rPh"))
            ++phonetic;
        else if (m_xml.isEndElement() && m_xml.name() == QLatin1String("rPh"))
            --phonetic;
        else if (m_xml.isStartElement() && m_xml.name() == QLatin1String("t") && phonetic == 0)
            text += m_xml.readElementText();
    }
    return unescaped(text);
}

// The cell's text; the reader stands on its start and is left on its end.
QString WorkbookRecords::cellText(const QString &type, int style)
{
    QString value;
    QString inlineText;
    while (!m_xml.atEnd()) {
        m_xml.readNext();
        if (m_xml.isEndElement() && m_xml.name() == QLatin1String("c"))
            break;
        if (!m_xml.isStartElement())
            continue;
        if (m_xml.name() == QLatin1String("v"))
            value = m_xml.readElementText();
        else if (m_xml.name() == QLatin1String("is"))
            inlineText = richText(QStringLiteral("is"));
        else
            m_xml.skipCurrentElement(); // a formula: its last result is the value
    }
    if (type == QLatin1String("s")) {
        bool number = false;
        const int index = value.toInt(&number);
        if (!number || index < 0 || index >= m_shared.size())
            notAWorkbook(QStringLiteral("第 %1 行引用了不存在的文字").arg(m_lastRow));
        return m_shared.at(index);
    }
    if (type == QLatin1String("inlineStr"))
        return inlineText;
    if (type == QLatin1String("b"))
        return value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type.isEmpty() || type == QLatin1String("n"))
        return m_numbers.shown(value, style);
    return unescaped(value); // str (a formula's text), e (an error such as #N/A), d (a date)
}

bool WorkbookRecords::next(QStringList &fields, long &line)
{
    fields.clear();
    qsizetype characters = 0;
    while (!m_xml.atEnd()) {
        m_xml.readNext();
        if (m_xml.isEndElement() && m_xml.name() == QLatin1String("row")) {
            line = m_lastRow;
            return true;
        }
        if (!m_xml.isStartElement())
            continue;
        const auto attributes = m_xml.attributes();
        const auto reference = attributes.value(QLatin1String("r"));
        if (m_xml.name() == QLatin1String("row")) {
            const long number = reference.toLong();
            m_lastRow = number > m_lastRow ? number : m_lastRow + 1;
            fields.clear();
            characters = 0;
        } else if (m_xml.name() == QLatin1String("c")) {
            const int column = reference.isEmpty() ? int(fields.size()) : columnOf(reference);
            if (column < 0 || column >= kMaxColumns)
                notAWorkbook(QStringLiteral("第 %1 行的单元格位置不对").arg(m_lastRow));
            const QString text = cellText(attributes.value(QLatin1String("t")).toString(),
                                          attributes.value(QLatin1String("s")).toInt());
            characters += text.size() + 1;
            if (characters > kMaxRowCharacters || column > kMaxRowCharacters)
                throw ImportFileError(
                    QStringLiteral("第 %1 行超过 %2 个字符，不是常用摘要的文件，整个文件没有导入。")
                        .arg(m_lastRow)
                        .arg(kMaxRowCharacters));
            while (fields.size() <= column)
                fields.append(QString());
            fields[column] = text;
        }
    }
    if (m_xml.hasError())
        damaged(*m_sheet, m_xml);
    return false;
}

double WorkbookRecords::done() const
{
    const qint64 size = m_sheet->size();
    return size > 0 ? qMin(1.0, double(m_sheet->pos()) / double(size)) : 1.0;
}

// The archive's own failure is the cause when there is one; the XML reader's words are English.
void WorkbookRecords::damaged(const ZipEntry &part, const QXmlStreamReader &xml) const
{
    if (!part.failure().isEmpty())
        notAWorkbook(part.failure());
    notAWorkbook(QStringLiteral("XML 内容第 %1 行有错").arg(xml.lineNumber()));
}
