#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <sys/types.h>

// The new content of a file, written beside it and put in its place only when complete and on
// disk, so a failed or killed write never leaves half a file in place of the old one. The content
// goes to an unnamed file in the target's folder where the file system allows it (nothing is left
// behind by a killed process), else to a temporary name removed on failure. A target that is a
// symbolic link or not a regular file is refused: what it points to is never written. The new file
// keeps the old one's permissions; a new file gets the umask's. Failures throw TableFileError.
class ReplacedFile
{
public:
    explicit ReplacedFile(const QString &path);
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile &) = delete;
    ReplacedFile &operator=(const ReplacedFile &) = delete;

    void write(QByteArrayView bytes);
    // A name a library can open to write the content itself (instead of write()).
    QByteArray contentName() const;
    // Puts the content in place of the target; the object is spent afterwards.
    void commit();
    // Throws the message for a failure with the given system error number.
    [[noreturn]] void fail(int error) const;
    [[noreturn]] void fail(const QString &reason) const;

private:
    void flush();
    void openUnnamed(const QByteArray &folder);
    void openNamed();
    QByteArray freshName() const;
    void linkUnnamed();
    void syncFolder() const;

    QString m_path;
    QByteArray m_target;
    QByteArray m_folder;
    QByteArray m_tempName; // the content's name while it has one of its own
    QByteArray m_buffer;
    int m_fd = -1;
    bool m_unnamed = false;
    bool m_replacesOld = false;
    mode_t m_oldMode = 0;
};
