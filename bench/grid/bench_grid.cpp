// The grid at the size of a large listing: 100,000 summaries in four columns. Filling runs with
// redraw off, as the browser fills it; scrolling jumps the view and paints it; sorting is what a
// header click does to the whole listing. Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include "GridControl.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

namespace {

constexpr long kRows = 100000;
constexpr long kColumns = 4;

const QString kTexts[] = {
    QStringLiteral("收到货款"),         QStringLiteral("支付工资"),
    QStringLiteral("报销差旅费"),       QStringLiteral("计提本月折旧"),
    QStringLiteral("结转主营业务成本"), QStringLiteral("缴纳增值税及附加"),
};

void fill(GridControl &grid)
{
    grid.setRedraw(false);
    grid.setRowCount(1);
    for (long row = 1; row <= kRows; ++row) {
        grid.setRowCount(row + 1);
        grid.setText(row, 0, QString::number(kRows - row).rightJustified(6, u'0'));
        grid.setText(row, 1, kTexts[row % std::size(kTexts)]);
        grid.setText(row, 2, QStringLiteral("SDHK"));
        grid.setText(row, 3, QStringLiteral("银行存款"));
    }
    grid.setRedraw(true);
}

// A shown grid of the browser's shape.
struct ShownGrid
{
    ShownGrid()
    {
        grid.resize(1000, 600);
        grid.setColumnCount(kColumns);
        grid.setReferenceColumn(3);
        grid.show();
    }
    GridControl grid;
};

void BM_FillRedrawOff(benchmark::State &state)
{
    ShownGrid shown;
    for (auto _ : state)
        fill(shown.grid);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FillRedrawOff)->Unit(benchmark::kMillisecond);

// One jump of the view to another part of the listing, painted.
void BM_ScrollAndPaint(benchmark::State &state)
{
    ShownGrid shown;
    fill(shown.grid);
    long top = 1;
    for (auto _ : state) {
        top = (top + 7919) % kRows + 1;
        shown.grid.setTopRow(top);
        benchmark::DoNotOptimize(shown.grid.view()->viewport()->grab());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScrollAndPaint)->Unit(benchmark::kMillisecond);

// From the first row to the last with Ctrl+PgDn, as the browser does after loading.
void BM_CursorToLastRow(benchmark::State &state)
{
    ShownGrid shown;
    fill(shown.grid);
    for (auto _ : state) {
        shown.grid.setCurrentRow(1);
        shown.grid.setCurrentRow(kRows);
        benchmark::DoNotOptimize(shown.grid.view()->viewport()->grab());
    }
}
BENCHMARK(BM_CursorToLastRow)->Unit(benchmark::kMillisecond);

// What saving and deleting a summary cost with redraw on: a blank row appended at the bottom,
// a row taken out of the middle.
void BM_AppendAndRemoveRow(benchmark::State &state)
{
    ShownGrid shown;
    fill(shown.grid);
    for (auto _ : state) {
        shown.grid.setRowCount(shown.grid.rowCount() + 1);
        shown.grid.removeRow(kRows / 2);
    }
}
BENCHMARK(BM_AppendAndRemoveRow)->Unit(benchmark::kMicrosecond);

void BM_SortWholeListing(benchmark::State &state)
{
    ShownGrid shown;
    for (auto _ : state) {
        state.PauseTiming();
        fill(shown.grid);
        shown.grid.setCurrentRow(1);
        shown.grid.setCurrentColumn(1);
        shown.grid.setSelectionEndRow(kRows);
        state.ResumeTiming();
        shown.grid.setSort(1);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortWholeListing)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
