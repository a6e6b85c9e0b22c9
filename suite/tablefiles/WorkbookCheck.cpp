#include "WorkbookCheck.h"

#include <QFile>
#include <zlib.h>

namespace {

constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;
const QByteArray kSheet = "xl/worksheets/sheet1.xml";

quint32 read16(const uchar *at)
{
    return quint32(at[0]) | quint32(at[1]) << 8;
}

quint32 read32(const uchar *at)
{
    return read16(at) | read16(at + 2) << 16;
}

// What a part holds, seen while it is inflated piece by piece.
struct PartText
{
    QByteArray head; // the first bytes, naming the root element
    QByteArray tail; // the last bytes
    quint64 size = 0;
    quint64 rows = 0;

    void take(const char *data, size_t size)
    {
        const QByteArray piece(data, qsizetype(size));
        if (head.size() < 512)
            head += piece.left(512 - head.size());
        // A row's tag may straddle two pieces: count in the tail joined to the new piece.
        const QByteArray joined = tail.right(4) + piece;
        rows += quint64(joined.count("<row "));
        tail = (tail + piece).right(64);
        this->size += size;
    }

    bool closesRoot() const
    {
        qsizetype start = head.indexOf("?>");
        start = head.indexOf('<', start < 0 ? 0 : start + 2);
        if (start < 0)
            return false;
        qsizetype end = start + 1;
        while (end < head.size() && !QByteArrayView(" \t\r\n/>").contains(head.at(end)))
            ++end;
        return tail.trimmed().endsWith("</" + head.mid(start + 1, end - start - 1) + '>');
    }
};

bool inflatePart(const uchar *data, quint64 size, PartText &text)
{
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = const_cast<uchar *>(data);
    stream.avail_in = uInt(size);
    char out[64 * 1024];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(out);
        stream.avail_out = sizeof out;
        status = inflate(&stream, Z_NO_FLUSH);
        text.take(out, sizeof out - stream.avail_out);
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END;
}

bool partComplete(const uchar *zip, quint64 zipSize, const uchar *entry, unsigned rows)
{
    const quint32 method = read16(entry + 10);
    const quint64 packed = read32(entry + 20);
    const quint64 size = read32(entry + 24);
    const QByteArray name(reinterpret_cast<const char *>(entry + 46), read16(entry + 28));
    const quint64 local = read32(entry + 42);
    if (local + 30 > zipSize || read32(zip + local) != kLocalHeader)
        return false;
    const quint64 data = local + 30 + read16(zip + local + 26) + read16(zip + local + 28);
    if (data + packed > zipSize)
        return false;
    PartText text;
    if (method == Z_DEFLATED) {
        if (!inflatePart(zip + data, packed, text))
            return false;
    } else {
        text.take(reinterpret_cast<const char *>(zip + data), packed);
    }
    if (text.size != size)
        return false;
    if (name == kSheet && text.rows != rows)
        return false;
    return !(name.endsWith(".xml") || name.endsWith(".rels")) || text.closesRoot();
}

} // namespace

bool WorkbookComplete(const QByteArray &fileName, unsigned rows)
{
    QFile file(QFile::decodeName(fileName));
    if (!file.open(QIODevice::ReadOnly) || file.size() < 22)
        return false;
    const quint64 size = quint64(file.size());
    const uchar *zip = file.map(0, file.size());
    if (!zip)
        return false;
    // The end record has no comment: the library writes none.
    const uchar *end = zip + size - 22;
    if (read32(end) != kEndOfDirectory)
        return false;
    const quint32 entries = read16(end + 10);
    quint64 at = read32(end + 16);
    bool sheetSeen = false;
    for (quint32 i = 0; i < entries; ++i) {
        if (at + 46 > size || read32(zip + at) != kDirectoryEntry)
            return false;
        const uchar *entry = zip + at;
        const quint32 nameSize = read16(entry + 28);
        if (at + 46 + nameSize > size || !partComplete(zip, size, entry, rows))
            return false;
        sheetSeen =
            sheetSeen || QByteArray(reinterpret_cast<const char *>(entry + 46), nameSize) == kSheet;
        at += 46 + nameSize + read16(entry + 30) + read16(entry + 32);
    }
    return sheetSeen;
}
