#include "ReplacedFile.h"

#include "FailureTexts.h"
#include "TableFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Written out when this much is waiting, so that a long list costs few system calls.
constexpr qsizetype kBufferSize = 64 * 1024;

// The file systems that cannot make an unnamed file say so with one of these.
bool unnamedUnsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

QByteArray procName(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

} // namespace

ReplacedFile::ReplacedFile(const QString &path)
    : m_path(path)
    , m_target(QFile::encodeName(path))
    , m_folder(QFile::encodeName(QFileInfo(path).absolutePath()))
{
    struct stat old;
    if (::lstat(m_target.constData(), &old) == 0) {
        if (S_ISLNK(old.st_mode))
            fail(QStringLiteral("这是一个符号链接；为了不改写它指向的文件，没有写入。"));
        if (!S_ISREG(old.st_mode))
            fail(QStringLiteral("这不是一个普通文件。"));
        m_replacesOld = true;
        m_oldMode = old.st_mode & 07777;
    } else if (errno != ENOENT) {
        fail(errno);
    }
    openUnnamed(m_folder);
    if (m_fd < 0)
        openNamed();
}

ReplacedFile::~ReplacedFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_tempName.isEmpty())
        ::unlink(m_tempName.constData());
}

void ReplacedFile::openUnnamed(const QByteArray &folder)
{
    // Linking it into the folder later goes through /proc.
    if (::access("/proc/self/fd", X_OK) != 0)
        return;
    m_fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd >= 0)
        m_unnamed = true;
    else if (!unnamedUnsupported(errno))
        fail(errno);
}

void ReplacedFile::openNamed()
{
    for (;;) {
        const QByteArray name = freshName();
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_tempName = name;
            return;
        }
        if (errno != EEXIST)
            fail(errno);
    }
}

QByteArray ReplacedFile::freshName() const
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = m_target + '.';
    for (int i = 0; i < 6; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    return name;
}

void ReplacedFile::write(QByteArrayView bytes)
{
    m_buffer += bytes;
    if (m_buffer.size() >= kBufferSize)
        flush();
}

void ReplacedFile::flush()
{
    const char *data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (written == 0)
            fail(ENOSPC);
        data += written;
        left -= written;
    }
    m_buffer.clear();
}

QByteArray ReplacedFile::contentName() const
{
    return m_unnamed ? procName(m_fd) : m_tempName;
}

void ReplacedFile::commit()
{
    flush();
    if (m_replacesOld && ::fchmod(m_fd, m_oldMode) != 0)
        fail(errno);
    if (::fsync(m_fd) != 0)
        fail(errno);
    if (m_unnamed)
        linkUnnamed();
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0)
        fail(errno);
    // rename() replaces the old file in one step, or a link at the target itself, never what
    // such a link points to.
    if (::rename(m_tempName.constData(), m_target.constData()) != 0)
        fail(errno);
    m_tempName.clear();
    syncFolder();
}

void ReplacedFile::linkUnnamed()
{
    for (;;) {
        const QByteArray name = freshName();
        if (::linkat(AT_FDCWD, procName(m_fd).constData(), AT_FDCWD, name.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            m_tempName = name;
            return;
        }
        if (errno != EEXIST)
            fail(errno);
    }
}

// The rename is on disk only when the folder is.
void ReplacedFile::syncFolder() const
{
    const int folder = ::open(m_folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        fail(errno);
    const int synced = ::fsync(folder);
    const int error = errno;
    ::close(folder);
    // Some file systems cannot sync a folder; the file itself is on disk already.
    if (synced != 0 && error != EINVAL)
        fail(error);
}

void ReplacedFile::fail(int error) const
{
    fail(systemErrorText(error));
}

void ReplacedFile::fail(const QString &reason) const
{
    throw TableFileError(cannotWriteMessage(m_path, reason));
}
