#include "PerfRun.h"

#include "MnemonicCommand.h"
#include "PerfLedger.h"
#include "PerfRounds.h"

#include <QElapsedTimer>

#include <cstdio>
#include <iconv.h>

namespace {

// Lines a second over the rounds of a loop over every text.
double linesPerSecond(qint64 lines, const std::function<void()> &loop)
{
    QElapsedTimer clock;
    clock.start();
    loop();
    return double(lines) / (double(clock.nsecsElapsed()) / 1e9);
}

} // namespace

std::vector<PerfFigure> RunMnemonicFigures(int n)
{
    const PerfLedger ledger(n);
    QByteArray input;
    for (const PerfLedger::Summary &summary : ledger.summaries())
        input += summary.text + '\n';
    // Small inputs are run again until the clock has something to measure.
    const int repeats = std::max(1, 200000 / std::max(1, n));
    const qint64 lines = qint64(n) * repeats;
    FILE *in = std::tmpfile();
    FILE *out = std::fopen("/dev/null", "w");
    std::fwrite(input.constData(), 1, size_t(input.size()), in);
    // The plain loop: each line converted to code page 936 by one iconv call.
    iconv_t cd = iconv_open("CP936", "UTF-8");
    QByteArray converted(256, Qt::Uninitialized);
    const PerfRounds taken = MeasureRounds(
        3,
        [&] {
            return linesPerSecond(lines, [&] {
                for (int r = 0; r < repeats; ++r) {
                    for (const PerfLedger::Summary &summary : ledger.summaries()) {
                        char *from = const_cast<char *>(summary.text.constData());
                        size_t fromLeft = size_t(summary.text.size());
                        char *to = converted.data();
                        size_t toLeft = size_t(converted.size());
                        iconv(cd, &from, &fromLeft, &to, &toLeft);
                    }
                }
            });
        },
        [&] {
            return linesPerSecond(lines, [&] {
                for (int r = 0; r < repeats; ++r) {
                    std::rewind(in);
                    RunMnemonicCommand({}, in, out);
                }
            });
        });
    iconv_close(cd);
    std::fclose(in);
    std::fclose(out);
    return {{QStringLiteral("kvdigest --mnemonic"), QStringLiteral("lines/s"), taken.values,
             taken.between, taken.warm, QStringLiteral("plain iconv loop"),
             QStringLiteral("2M lines/s"), false}};
}
