#include "TransferCommand.h"

#include "DigestTransfer.h"

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitFailed = 5;
constexpr long kRowsForProgress = 10000;
constexpr int kBarWidth = 40;

void printLine(FILE *to, const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}

// Drawn over itself on the terminal, once the file is seen to be long.
class ProgressBar final
{
public:
    void show(long rows, double done)
    {
        if (done <= 0 || (!m_shown && rows / done <= kRowsForProgress))
            return;
        m_shown = true;
        const int filled = int(done * kBarWidth);
        std::fprintf(stderr, "\r[%s%s] %3d%% %ld %s", QByteArray(filled, '#').constData(),
                     QByteArray(kBarWidth - filled, ' ').constData(), int(done * 100), rows,
                     QStringLiteral("行").toLocal8Bit().constData());
        std::fflush(stderr);
    }
    ~ProgressBar()
    {
        if (m_shown)
            std::fputc('\n', stderr);
    }

private:
    bool m_shown = false;
};

} // namespace

int RunImportCommand(const std::shared_ptr<DataKit::Database> &ledger, const QString &path,
                     bool dryRun, bool strict)
{
    ImportOptions options;
    options.dryRun = dryRun;
    options.strict = strict;
    ImportReport report;
    {
        ProgressBar bar;
        if (isatty(fileno(stderr)))
            options.progress = [&bar](long rows, double done) { bar.show(rows, done); };
        report = ImportSummaries(ledger, path, options);
    }
    for (const QString &line : ImportReportLines(report))
        printLine(stdout, line);
    std::fflush(stdout);
    if (report.outcome == ImportReport::Outcome::Failed)
        return kExitFailed;
    return report.refused.isEmpty() ? 0 : kExitRefused;
}

int RunExportCommand(const std::shared_ptr<DataKit::Database> &ledger, const QString &path)
{
    try {
        const long written = ExportSummaries(ledger, path);
        printLine(stdout, QStringLiteral("已导出 %1 条常用摘要到 %2。").arg(written).arg(path));
        return 0;
    } catch (const std::exception &error) {
        printLine(stderr, QStringLiteral("kvdigest: ") + QString::fromUtf8(error.what()));
        return kExitFailed;
    }
}
