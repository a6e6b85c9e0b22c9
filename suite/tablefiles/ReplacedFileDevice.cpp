#include "ReplacedFileDevice.h"

#include "TableFile.h"

ReplacedFileDevice::ReplacedFileDevice(ReplacedFile &file)
    : m_file(file)
{
    open(QIODevice::WriteOnly);
}

void ReplacedFileDevice::check() const
{
    if (!m_failure.isEmpty())
        throw TableFileError(m_failure);
}

qint64 ReplacedFileDevice::readData(char *, qint64)
{
    return -1;
}

qint64 ReplacedFileDevice::writeData(const char *data, qint64 size)
{
    if (!m_failure.isEmpty())
        return -1;
    try {
        m_file.write(QByteArrayView(data, size));
    } catch (const TableFileError &error) {
        m_failure = error.message();
        return -1;
    }
    return size;
}
