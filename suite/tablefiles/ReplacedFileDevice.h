#pragma once

#include "ReplacedFile.h"

#include <QIODevice>

// A write-only device over a replaced file, for writers that want a QIODevice (QPdfWriter). Such
// writers do not look at what a write returns, so the first failure is kept for the caller.
class ReplacedFileDevice final : public QIODevice
{
public:
    explicit ReplacedFileDevice(ReplacedFile &file);
    // Throws the first failure, if a write failed.
    void check() const;

protected:
    qint64 readData(char *data, qint64 size) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    ReplacedFile &m_file;
    QString m_failure;
};
