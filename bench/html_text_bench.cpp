// Draws one 60-character track line of four runs in four fonts, as a list row is painted
// (target: under 50 microseconds a line).
// Links: tunecrest_skin
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "skin/html_text.h"

using namespace tunecrest;

namespace {

std::string Line() {
    return "<font name=\"Tahoma\" color=#C0C0C0 size=10></b></u>07. "
           "<font name=\"Arial\" color=#FFCC00 size=12><b></u>The Artist Name - "
           "<font name=\"Verdana\" color=#FFFFFF size=11></b></u>A Fairly Long Song Title "
           "<font name=\"Tahoma\" color=#808080 size=9></b></u>(4:05)";
}

void BM_DrawMarkupLine(benchmark::State& state) {
    QImage row(800, 24, QImage::Format_RGB32);
    row.fill(Qt::black);
    QPainter painter(&row);
    const std::string line = Line();
    TFont base;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DrawHTMLText(painter, line, row.rect(), base, Qt::AlignVCenter));
    }
}
BENCHMARK(BM_DrawMarkupLine)->Unit(benchmark::kMicrosecond);

void BM_MeasureMarkupLine(benchmark::State& state) {
    const std::string line = Line();
    TFont base;
    for (auto _ : state) benchmark::DoNotOptimize(MeasureHTMLText(line, base));
}
BENCHMARK(BM_MeasureMarkupLine)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
