#include "ZipArchive.h"

#include "ImportRecords.h"

#include <zip.h>

namespace {

// Past this a part that describes a workbook (not its rows) is no part of a real one.
constexpr qint64 kMaxPartBytes = qint64(16) << 20;

[[noreturn]] void damaged(const QString &what)
{
    throw ImportFileError(
        QStringLiteral("不是完好的 Excel 工作簿（%1），整个文件没有导入。").arg(what));
}

} // namespace

ZipEntry::ZipEntry(zip_file *file, qint64 size, qint64 limit, const QString &name)
    : m_file(file)
    , m_size(size)
    , m_limit(limit)
    , m_name(name)
{
    QIODevice::open(QIODevice::ReadOnly);
}

ZipEntry::~ZipEntry()
{
    zip_fclose(m_file);
}

qint64 ZipEntry::readData(char *data, qint64 maxSize)
{
    if (!m_failure.isEmpty())
        return -1;
    const zip_int64_t got = m_read <= m_limit ? zip_fread(m_file, data, zip_uint64_t(maxSize)) : -1;
    if (got < 0) {
        m_failure = m_read <= m_limit ? QStringLiteral("%1 已损坏").arg(m_name)
                                      : QStringLiteral("%1 太大").arg(m_name);
        return -1;
    }
    m_read += got;
    return got;
}

ZipArchive::ZipArchive(const QByteArray &bytes)
    : m_bytes(bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source =
        zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error);
    if (source)
        m_archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    zip_error_fini(&error);
    if (!m_archive) {
        if (source)
            zip_source_free(source);
        damaged(QStringLiteral("不能打开压缩内容"));
    }
}

ZipArchive::~ZipArchive()
{
    zip_discard(m_archive);
}

bool ZipArchive::contains(const QString &name) const
{
    return zip_name_locate(m_archive, name.toUtf8().constData(), 0) >= 0;
}

QByteArray ZipArchive::read(const QString &name) const
{
    const auto entry = open(name, kMaxPartBytes);
    QByteArray bytes = entry->readAll();
    if (!entry->failure().isEmpty())
        damaged(entry->failure());
    return bytes;
}

std::unique_ptr<ZipEntry> ZipArchive::open(const QString &name, qint64 limit) const
{
    const QByteArray entry = name.toUtf8();
    zip_stat_t stat;
    zip_file_t *file = nullptr;
    if (zip_stat(m_archive, entry.constData(), 0, &stat) == 0)
        file = zip_fopen(m_archive, entry.constData(), 0);
    if (!file)
        damaged(QStringLiteral("不能读出 %1").arg(name));
    const qint64 size = (stat.valid & ZIP_STAT_SIZE) ? qint64(stat.size) : 0;
    return std::make_unique<ZipEntry>(file, size, limit, name);
}
