#include "SavedTextFile.h"

#include "TableFile.h"

SavedTextFile::SavedTextFile(const QString &path)
    : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly))
        fail();
}

void SavedTextFile::write(const QString &text)
{
    write(text.toUtf8());
}

void SavedTextFile::write(const QByteArray &bytes)
{
    if (m_file.write(bytes) != bytes.size())
        fail();
}

void SavedTextFile::commit()
{
    if (!m_file.commit())
        fail();
}

void SavedTextFile::fail()
{
    const QString reason = m_file.errorString();
    m_file.cancelWriting();
    throw TableFileError(cannotWriteMessage(m_file.fileName(), reason));
}
