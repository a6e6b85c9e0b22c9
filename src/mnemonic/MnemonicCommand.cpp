#include "MnemonicCommand.h"

#include "PinyinInitial.h"
#include "Utf8Mnemonic.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// Output gathers until this many bytes are waiting: a write a line would cost more than the line's
// mnemonic.
constexpr qsizetype kWriteChunk = 64 * 1024;

// Writes mnemonic lines through buffers that keep their capacity, so that a long input costs no
// allocation per line.
class MnemonicWriter final
{
public:
    explicit MnemonicWriter(FILE *out)
        : m_out(out)
        , m_eachLine(isatty(fileno(out)) != 0)
    {
        m_lines.reserve(2 * kWriteChunk);
    }

    void writeUtf8(QByteArrayView line)
    {
        if (!AppendUtf8Mnemonic(line, m_lines))
            appendDecoded(line);
        endLine();
    }

    void write(QStringView text)
    {
        appendMnemonic(text);
        endLine();
    }

    void flush()
    {
        std::fwrite(m_lines.constData(), 1, size_t(m_lines.size()), m_out);
        m_lines.resize(0);
        std::fflush(m_out);
    }

private:
    // A line that is not well-formed UTF-8 is read the lenient way, each broken sequence a
    // replacement character.
    void appendDecoded(QByteArrayView line)
    {
        m_text.resize(m_decoder.requiredSpace(line.size()));
        const QChar *end = m_decoder.appendToBuffer(m_text.data(), line);
        appendMnemonic(QStringView(m_text.constData(), end));
    }

    void appendMnemonic(QStringView text)
    {
        m_mnemonic.resize(0);
        AppendMnemonic(text, m_mnemonic);
        const qsizetype start = m_lines.size();
        m_lines.resize(start + m_encoder.requiredSpace(m_mnemonic.size()));
        const char *end = m_encoder.appendToBuffer(m_lines.data() + start, m_mnemonic);
        m_lines.truncate(end - m_lines.constData());
    }

    void endLine()
    {
        m_lines.append('\n');
        // Someone at a terminal waits for each line's answer.
        if (m_eachLine || m_lines.size() >= kWriteChunk)
            flush();
    }

    FILE *m_out;
    bool m_eachLine;
    // Each line is decoded on its own; a byte-order mark is the stream's to drop, not the line's.
    QStringDecoder m_decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                       QStringDecoder::Flag::ConvertInitialBom};
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    QString m_text;
    QString m_mnemonic;
    QByteArray m_lines;
};

QByteArrayView withoutLineEnd(const char *line, qsizetype length)
{
    if (length > 0 && line[length - 1] == '\n') {
        --length;
        if (length > 0 && line[length - 1] == '\r')
            --length;
    }
    return {line, length};
}

} // namespace

int RunMnemonicCommand(const QStringList &texts, FILE *in, FILE *out)
{
    MnemonicWriter writer(out);
    if (!texts.isEmpty()) {
        for (const QString &text : texts)
            writer.write(text);
    } else {
        char *buffer = nullptr;
        size_t capacity = 0;
        ssize_t length;
        bool first = true;
        while ((length = getline(&buffer, &capacity, in)) >= 0) {
            QByteArrayView line = withoutLineEnd(buffer, length);
            if (first && line.startsWith("\xEF\xBB\xBF"))
                line = line.sliced(3);
            first = false;
            writer.writeUtf8(line);
        }
        std::free(buffer);
    }
    writer.flush();
    return 0;
}
