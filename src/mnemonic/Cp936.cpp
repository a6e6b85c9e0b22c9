#include "Cp936.h"

#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <memory>
#include <system_error>

namespace {

constexpr const char *kUtf16Native =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
const size_t kIconvFailed = static_cast<size_t>(-1);
// Code page 936 has no byte 81 to FE on its own: such a byte leads a character of two.
constexpr unsigned char kFirstLeadByte = 0x81;

iconv_t openDescriptor(const char *to, const char *from)
{
    const iconv_t cd = iconv_open(to, from);
    if (cd == kNoDescriptor)
        throw std::system_error(errno, std::generic_category(), "iconv_open");
    return cd;
}

// Opening a descriptor costs far more than a conversion, so encoding shares one for the process.
struct SharedEncoder
{
    std::mutex mutex;
    iconv_t cd = openDescriptor("CP936", kUtf16Native);

    ~SharedEncoder() { iconv_close(cd); }
};

SharedEncoder &sharedEncoder()
{
    static SharedEncoder encoder;
    return encoder;
}

struct DescriptorCloser
{
    void operator()(void *cd) const { iconv_close(cd); }
};

} // namespace

Cp936Encoder::Cp936Encoder()
    : m_lock(sharedEncoder().mutex)
{
}

void Cp936Encoder::takeConverted(const char *end)
{
    const auto *byte = reinterpret_cast<const unsigned char *>(m_bytes.constData());
    const auto *last = reinterpret_cast<const unsigned char *>(end);
    while (byte < last) {
        if (*byte < kFirstLeadByte || byte + 1 == last) {
            m_codes.push_back(*byte++);
        } else {
            m_codes.push_back(byte[0] * 256u + byte[1]);
            byte += 2;
        }
    }
}

const std::vector<unsigned> &Cp936Encoder::codesOf(QStringView text)
{
    m_codes.clear();
    const iconv_t cd = sharedEncoder().cd;
    // A failed conversion may leave shift state behind; every text starts from the initial one.
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *in = reinterpret_cast<char *>(const_cast<char16_t *>(text.utf16()));
    size_t inLeft = size_t(text.size()) * sizeof(char16_t);
    // Two bytes at most for each unit: a character of the code page takes one unit.
    m_bytes.resize(text.size() * 2);
    while (inLeft > 0) {
        char *out = m_bytes.data();
        size_t outLeft = size_t(m_bytes.size());
        const bool done = iconv(cd, &in, &inLeft, &out, &outLeft) != kIconvFailed;
        takeConverted(out);
        if (done)
            break;
        // Stopped at a character the code page lacks, or a broken surrogate: that character
        // is unencodable, and the conversion goes on after it.
        const auto *unit = reinterpret_cast<const char16_t *>(in);
        const bool pair = inLeft >= 2 * sizeof(char16_t) && QChar::isHighSurrogate(unit[0]) &&
                          QChar::isLowSurrogate(unit[1]);
        const size_t skipped = (pair ? 2 : 1) * sizeof(char16_t);
        in += skipped;
        inLeft -= skipped;
        m_codes.push_back(kCp936Unencodable);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return m_codes;
}

unsigned Cp936Encoder::codeOf(char32_t ch)
{
    const bool pair = QChar::requiresSurrogates(ch);
    const char16_t units[2] = {pair ? QChar::highSurrogate(ch) : char16_t(ch),
                               pair ? QChar::lowSurrogate(ch) : u'\0'};
    const std::vector<unsigned> &codes = codesOf(QStringView(units, pair ? 2 : 1));
    return codes.empty() ? kCp936Unencodable : codes.front();
}

namespace {

// Decodes bytes from the encoding through iconv; an empty string when they are not valid there.
// The worst case is three bytes of UTF-8 for one byte in (the euro sign of code page 936).
QString decodeFrom(const char *encoding, const QByteArray &bytes)
{
    const std::unique_ptr<void, DescriptorCloser> cd(openDescriptor("UTF-8", encoding));
    QByteArray utf8(bytes.size() * 3, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = bytes.size();
    char *out = utf8.data();
    size_t outLeft = utf8.size();
    if (iconv(cd.get(), &in, &inLeft, &out, &outLeft) == kIconvFailed)
        return {};
    utf8.truncate(out - utf8.constData());
    return QString::fromUtf8(utf8);
}

} // namespace

QString fromCp936(const QByteArray &bytes)
{
    return decodeFrom("CP936", bytes);
}

QString fromGb18030(const QByteArray &bytes)
{
    return decodeFrom("GB18030", bytes);
}
