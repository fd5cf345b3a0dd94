// Links: tunecrest_skin
// The skin work a control does once per rebuild (recolour and cut a wide three-frame
// template) and on every paint (a full-screen panel of tiled parts).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>

#include "skin/skin_parts.h"

using namespace tunecrest;

namespace {

// A 1920 x 200 three-frame template: grey gradients with a rounded face, the mask frame
// white inside the face, markers cutting the first frame into nine parts.
QImage WideTemplate()
{
    QImage image(1920, 200, QImage::Format_BGR888);
    const int fw = 640;
    for (int y = 0; y < 200; ++y) {
        uint8_t* row = image.scanLine(y);
        for (int x = 0; x < 1920; ++x) {
            const int fx = x % fw;
            const bool face = fx > 12 && fx < fw - 12 && y > 10 && y < 190;
            uint8_t level = x >= 2 * fw ? (face ? 255 : 0) : uint8_t(face ? 100 + y / 2 : 128);
            if (x < 2 * fw && (fx + y) % 97 == 0) level = 0;  // a few dark details
            row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = level;
        }
    }
    for (int x : {20, 620}) {
        uint8_t* p = image.scanLine(0) + x * 3;
        p[0] = p[1] = p[2] = 255;
    }
    for (int y : {20, 180}) {
        uint8_t* p = image.scanLine(y);
        p[0] = p[1] = p[2] = 255;
    }
    return image;
}

void BM_RecolourAndCut(benchmark::State& state)
{
    const QImage src = WideTemplate();
    TskinColors face, outer;
    face.SetColor1(0xA86D4A);
    outer.SetColor1(0x754939);
    QImage dest;
    TskinRects rects;
    for (auto _ : state) {
        ComputeSkinRects(src, dest, rects, face, 3, outer);
        benchmark::DoNotOptimize(dest.constBits());
    }
}
BENCHMARK(BM_RecolourAndCut)->Unit(benchmark::kMicrosecond);

// A 48 x 48 panel template with a 14 x 14 centre, painted tiled over 1280 x 800.
void BM_PaintTiledPanel(benchmark::State& state)
{
    QImage src(48, 48, QImage::Format_BGR888);
    src.fill(QColor(128, 128, 128));
    for (int i = 0; i < 48; ++i) src.setPixelColor(i, 47 - i, QColor(96, 96, 96));
    src.setPixelColor(16, 0, Qt::white);
    src.setPixelColor(31, 0, Qt::white);
    src.setPixelColor(0, 16, Qt::white);
    src.setPixelColor(0, 31, Qt::white);
    TskinColors colors, none;
    colors.SetColor1(0x754939);
    QImage dest;
    TskinRects rects;
    ComputeSkinRects(src, dest, rects, colors, 1, none);
    const QImage skin = PaintableSkin(dest);
    QImage screen(1280, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&screen);
        DrawSkinParts(1280, 800, 0, 0, painter, skin, rects, state.range(0) != 0);
        painter.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_PaintTiledPanel)->Arg(0)->Arg(1)->ArgName("stretch")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
