#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

struct zip;
struct zip_file;

// One entry of an archive, inflated as it is read. A CRC or inflation failure, or an entry larger
// than any workbook part (a zip bomb), ends the reading: read() answers -1 and failure() says why.
class ZipEntry final : public QIODevice
{
public:
    ZipEntry(zip_file *file, qint64 size, qint64 limit, const QString &name);
    ~ZipEntry() override;

    bool isSequential() const override { return true; }
    qint64 size() const override { return m_size; }
    const QString &failure() const { return m_failure; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    zip_file *m_file;
    qint64 m_size;
    qint64 m_limit;
    qint64 m_read = 0;
    QString m_name;
    QString m_failure;
};

// A zip archive held in memory (a workbook), read through libzip, which checks every entry's CRC.
// Failures to open it or an entry throw ImportFileError.
class ZipArchive final
{
public:
    explicit ZipArchive(const QByteArray &bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    bool contains(const QString &name) const;
    // The entry whole; for the small parts of a workbook (at most a few megabytes).
    QByteArray read(const QString &name) const;
    // The entry as a stream (a sheet may be far larger than its file), of at most limit bytes;
    // its uncompressed size in size().
    std::unique_ptr<ZipEntry> open(const QString &name, qint64 limit) const;

private:
    QByteArray m_bytes; // libzip reads from it for as long as the archive is open
    zip *m_archive = nullptr;
};
