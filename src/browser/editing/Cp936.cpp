#include "Cp936.h"

#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <memory>
#include <system_error>

namespace {

constexpr const char *kUtf32Native =
    std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
const size_t kIconvFailed = static_cast<size_t>(-1);

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
    iconv_t cd = openDescriptor("CP936", kUtf32Native);

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

unsigned Cp936Encoder::codeOf(char32_t ch)
{
    const iconv_t cd = sharedEncoder().cd;
    // A failed conversion may leave shift state behind; start every character from the initial one.
    iconv(cd, nullptr, nullptr, nullptr, nullptr);

    char *in = reinterpret_cast<char *>(&ch);
    size_t inLeft = sizeof ch;
    std::array<unsigned char, 4> out{};
    char *outPtr = reinterpret_cast<char *>(out.data());
    size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == kIconvFailed)
        return kCp936Unencodable;

    switch (out.size() - outLeft) {
    case 1:
        return out[0];
    case 2:
        return out[0] * 256u + out[1];
    default:
        return kCp936Unencodable;
    }
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
