#include "MnemonicCommand.h"

#include "Cp936.h"
#include "PinyinInitial.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cstdio>
#include <cstdlib>

namespace {

// Writes mnemonic lines through buffers that keep their capacity, so that a long input costs no
// allocation per line.
class MnemonicWriter final
{
public:
    explicit MnemonicWriter(FILE *out)
        : m_out(out)
    {
    }

    void writeUtf8(QByteArrayView line)
    {
        m_text.resize(m_decoder.requiredSpace(line.size()));
        const QChar *end = m_decoder.appendToBuffer(m_text.data(), line);
        write(QStringView(m_text.constData(), end));
    }

    void write(QStringView text)
    {
        m_mnemonic.resize(0);
        AppendMnemonic(text, m_codePage, m_mnemonic);
        m_line.resize(m_encoder.requiredSpace(m_mnemonic.size()) + 1);
        char *end = m_encoder.appendToBuffer(m_line.data(), m_mnemonic);
        *end++ = '\n';
        std::fwrite(m_line.constData(), 1, end - m_line.constData(), m_out);
    }

private:
    FILE *m_out;
    // One conversion per line, through the code page's descriptor held for the whole command.
    Cp936Encoder m_codePage;
    // Each line is decoded on its own; a byte-order mark is the stream's to drop, not the line's.
    QStringDecoder m_decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                       QStringDecoder::Flag::ConvertInitialBom};
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    QString m_text;
    QString m_mnemonic;
    QByteArray m_line;
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
    std::fflush(out);
    return 0;
}
