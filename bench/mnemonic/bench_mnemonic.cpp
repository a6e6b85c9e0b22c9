// The mnemonic of single summaries, as the grid computes it, and of a large import through the
// command line. Items per second are texts (lines) per second.
#include "MnemonicCommand.h"
#include "PinyinInitial.h"

#include <benchmark/benchmark.h>

#include <QStringList>

#include <cstdio>

namespace {

// Typical summaries, 4 to 12 characters, with a few level-2 characters, digits and letters.
const QStringList kSummaries = {
    QStringLiteral("收到货款"),
    QStringLiteral("支付货款"),
    QStringLiteral("提取现金"),
    QStringLiteral("现金存入银行"),
    QStringLiteral("报销差旅费"),
    QStringLiteral("计提本月折旧"),
    QStringLiteral("结转主营业务成本"),
    QStringLiteral("支付2024年度审计费"),
    QStringLiteral("收到甲公司预付款，开具发票"),
    QStringLiteral("购入A4打印纸"),
    QStringLiteral("缴纳增值税及附加"),
    QStringLiteral("报销鼹鼠饲料、亍丌费"),
};

constexpr int kImportLines = 300000;

void BM_MnemonicOf(benchmark::State &state)
{
    qsizetype characters = 0;
    for (auto _ : state) {
        for (const QString &summary : kSummaries) {
            benchmark::DoNotOptimize(MnemonicOf(summary));
            characters += summary.size();
        }
    }
    state.SetItemsProcessed(state.iterations() * kSummaries.size());
    state.counters["chars/s"] = benchmark::Counter(double(characters), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MnemonicOf);

void BM_PinyinInitial(benchmark::State &state)
{
    const QString ch = QStringLiteral("款");
    for (auto _ : state)
        benchmark::DoNotOptimize(PinyinInitial(ch));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PinyinInitial);

// Closes a file however the benchmark ends.
struct File
{
    FILE *handle;
    ~File()
    {
        if (handle)
            std::fclose(handle);
    }
};

void BM_RunMnemonicCommand(benchmark::State &state)
{
    const File in{std::tmpfile()};
    const File out{std::fopen("/dev/null", "w")};
    if (!in.handle || !out.handle) {
        state.SkipWithError("cannot open the temporary files");
        return;
    }
    for (int i = 0; i < kImportLines; ++i) {
        const QByteArray line = kSummaries[i % kSummaries.size()].toUtf8();
        std::fwrite(line.constData(), 1, line.size(), in.handle);
        std::fputc('\n', in.handle);
    }
    for (auto _ : state) {
        std::rewind(in.handle);
        RunMnemonicCommand({}, in.handle, out.handle);
    }
    state.SetItemsProcessed(state.iterations() * kImportLines);
}
BENCHMARK(BM_RunMnemonicCommand)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
