// Links: tunecrest_mainwindow
// Switching skins on the main window: what the main thread does once the new skin's
// pictures are decoded (ChangeSkin decodes them on a worker): read skin.usk, give
// every component its picture, recolour, load the four font stores. Target: under the
// 16 ms of one frame. Also the first load of a skin with nothing cached, and reading a
// skin file alone.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>

#include "core/display/skin_file.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/skin/main_window_skin.h"

using namespace tunecrest;

namespace {

const std::filesystem::path kSkins = std::filesystem::path(TUNECREST_BIN_DIR) / "Skins";

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The window without a player engine.
class TbenchForm : public TfrmCustomTunecrest {
public:
    explicit TbenchForm(const std::string& root) : TfrmCustomTunecrest({"-RootFolder=" + root}, TUNECREST_BIN_DIR) {
        FormCreate();
    }
};

std::string TempRoot() {
    char pattern[] = "/tmp/tunecrest-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "/tmp";
}

void BM_SwitchSkinCached(benchmark::State& state) {
    App();
    const std::string root = TempRoot();
    {
        TbenchForm form(root);
        form.resize(1280, 800);
        const std::string files[2] = {(kSkins / "Default" / "skin.usk").string(), (kSkins / "Classic" / "skin.usk").string()};
        form.Skin().SetDefaultSkinFile(files[0]);
        form.Skin().LoadSkin(files[1]);
        form.Skin().LoadSkin(files[0]);
        int i = 0;
        for (auto _ : state) {
            if (!form.Skin().LoadSkin(files[++i % 2])) state.SkipWithError("no shipped skins");
        }
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_SwitchSkinCached)->Unit(benchmark::kMillisecond);

void BM_LoadSkinUncached(benchmark::State& state) {
    App();
    const std::string root = TempRoot();
    {
        TbenchForm form(root);
        form.resize(1280, 800);
        const std::string file = (kSkins / "Classic" / "skin.usk").string();
        form.Skin().SetDefaultSkinFile((kSkins / "Default" / "skin.usk").string());
        for (auto _ : state) {
            form.Skin().ImageCache().Clear();
            if (!form.Skin().LoadSkin(file)) state.SkipWithError("no shipped skins");
        }
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_LoadSkinUncached)->Unit(benchmark::kMillisecond);

void BM_ReadSkinFile(benchmark::State& state) {
    const std::string file = (kSkins / "Classic" / "skin.usk").string();
    for (auto _ : state) {
        TskinFile skin;
        if (!skin.LoadFromFile(file)) state.SkipWithError("no shipped skins");
        benchmark::DoNotOptimize(skin.ButtonColor());
    }
}
BENCHMARK(BM_ReadSkinFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
