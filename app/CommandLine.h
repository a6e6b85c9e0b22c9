#pragma once

#include <QString>
#include <QStringList>

// The demo host's command line: what it asks for, read before anything needs a display, so that a
// wrong command line is answered in one line on any terminal.
struct CommandLine
{
    QString database;
    bool readOnly = false;
    bool help = false;
    bool version = false;
    bool mnemonic = false;
    QStringList texts; // the mnemonic's texts
    QString command;   // "import", "export", "voucher" or "" for the window
    QString file;
    bool dryRun = false;
    bool strict = false;
    QString problem; // what is wrong with the command line, "" when nothing is

    // import or export: a command with a FILE, run without a display.
    bool transfers() const
    {
        return command == QLatin1String("import") || command == QLatin1String("export");
    }
};

// Reads the arguments (the program's name first). Options may stand before or after the command;
// every argument after --mnemonic is a text. The toolkit's own options of the window (-platform
// offscreen, -style fusion, ...: one dash) are left to it.
CommandLine ReadCommandLine(const QStringList &arguments);

// What --help prints: each command, in Chinese and in English.
extern const char kCommandLineHelp[];
