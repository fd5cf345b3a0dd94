// Links: tunecrest_skin
// The touch list at library size: one full screen of 40 rows of a 100,000-row list
// painted with text while jumping between top and bottom (one frame each), and the
// memory the list itself takes for 1,000,000 rows.
#include <benchmark/benchmark.h>
#include "bench/heap_in_use.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "skin/touch_list_box.h"

using namespace tunecrest;

namespace {

void BM_PaintFortyRowsJumpingTopToBottom(benchmark::State& state) {
    TtouchListBox list;
    list.resize(1280, 40 * 27);
    list.SetItemHeight(27);
    list.SetCount(100000);
    list.MultiSelect = true;
    for (int i = 0; i < 100000; i += 3) list.SetSelected(i, true);
    QFont font("DejaVu Sans", 12);
    list.OnPaintItem = [&](TObject*, int index, const QRect& r, QPainter& p, TtouchListItemState s) {
        if (InItemState(s, lisSelected)) p.fillRect(r, QColor(40, 80, 160));
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(r.adjusted(8, 0, -90, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   QString("Artist %1 - Title of track number %2").arg(index / 12).arg(index));
        p.drawText(r.adjusted(0, 0, -8, 0), Qt::AlignVCenter | Qt::AlignRight,
                   QString("%1:%2").arg(index % 7).arg(index % 60, 2, 10, QChar('0')));
    };
    QImage frame(list.size(), QImage::Format_RGB32);
    bool bottom = false;
    for (auto _ : state) {
        list.SetTopIndex(bottom ? list.MaxTopIndex() : 0);
        bottom = !bottom;
        list.render(&frame);
    }
    state.counters["rows_per_frame"] = list.VisibleRowCount();
}
BENCHMARK(BM_PaintFortyRowsJumpingTopToBottom)->Unit(benchmark::kMillisecond);

void BM_MemoryForAMillionRows(benchmark::State& state) {
    double perRow = 0;
    for (auto _ : state) {
        const size_t before = HeapInUseBytes();
        auto list = std::make_unique<TtouchListBox>();
        list->resize(800, 600);
        const size_t empty = HeapInUseBytes();
        list->SetCount(1000000);
        const size_t filled = HeapInUseBytes();
        perRow = double(filled - empty) / 1000000.0;
        benchmark::DoNotOptimize(before);
    }
    state.counters["bytes_per_row"] = perRow;
}
BENCHMARK(BM_MemoryForAMillionRows)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
