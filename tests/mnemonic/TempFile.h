#pragma once

#include <QByteArray>
#include <QFile>

#include <cstdio>

// A temporary file for the mnemonic command to read or write, closed however the test ends.
struct TempFile
{
    FILE *file = std::tmpfile();
    ~TempFile() { std::fclose(file); }

    QByteArray contents() const
    {
        std::rewind(file);
        QFile reader;
        reader.open(file, QIODevice::ReadOnly);
        return reader.readAll();
    }
};
