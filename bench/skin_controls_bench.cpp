// Links: tunecrest_skin
// The skinned controls on the shipped Default skin: a repaint of a 64 x 64 button and of
// a 40 x 600 scroll bar (painting only copies from the cached skin), and a button's
// rebuild after a colour change (recolouring its template once).
#include <benchmark/benchmark.h>

#include <filesystem>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "core/base/ini_file.h"
#include "skin/skin_button.h"
#include "skin/skin_scroll_bar.h"

using namespace tunecrest;

namespace {

QImage ShippedImage(const std::string& section)
{
    const std::filesystem::path folder = std::filesystem::path(TUNECREST_BIN_DIR) / "Skins" / "Default";
    TiniFile ini((folder / "skin.usk").string());
    return ToSkinBitmap(QImage(QString::fromStdString((folder / ini.ReadString(section, "Image", "")).string())));
}

void SetUpButton(TmySkinButton& b, QSize size)
{
    b.SetDefaultSkinBitmap(ShippedImage("Button"));
    b.resize(size);
    b.SetShowCaption(true);
    b.SetCaption("Play");
    b.SetWantFocus(false);
    b.SetupFinished();
}

void BM_RepaintButton64(benchmark::State& state)
{
    TmySkinButton b;
    SetUpButton(b, {64, 64});
    if (b.WorkingBitmap().isNull()) state.SkipWithError("no Default skin");
    QImage target(64, 64, QImage::Format_RGB32);
    for (auto _ : state) {
        b.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_RepaintButton64)->Unit(benchmark::kMicrosecond);

void BM_RepaintScrollBar40x600(benchmark::State& state)
{
    TmySkinScrollBar bar;
    bar.SetDefaultSkinBitmap(ShippedImage("ScrollBarVertical"));
    bar.resize(40, 600);
    bar.SetupFinished();
    if (bar.WorkingBitmap().isNull()) state.SkipWithError("no Default skin");
    QImage target(40, 600, QImage::Format_RGB32);
    int position = 0;
    for (auto _ : state) {
        // The thumb moves each time, as while a list scrolls.
        bar.SetPositionSilently(position++ % 100);
        bar.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_RepaintScrollBar40x600)->Unit(benchmark::kMicrosecond);

void BM_RebuildButtonAfterColourChange(benchmark::State& state)
{
    TmySkinButton b;
    SetUpButton(b, {200, 72});
    TColor colour = 0x204060;
    for (auto _ : state) {
        b.ButtonSkinColors().SetColor1(colour ^= 0x010101);
        benchmark::DoNotOptimize(b.WorkingBitmap().constBits());
    }
}
BENCHMARK(BM_RebuildButtonAfterColourChange)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
