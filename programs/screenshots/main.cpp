// Renders every registered scene with both shipped skins and two colour schemes into
// PNG files, and writes an index.html that shows them side by side.
//
//   tunecrest-screenshots OUTPUT_FOLDER [--skins SKINS_FOLDER] [--area AREA]
#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>

#include "core/display/color_text.h"
#include "core/base/date_time.h"
#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "scenes.h"
#include "skin/skin_colors.h"

namespace tunecrest {

namespace {

std::vector<Tscene>& Registry()
{
    static std::vector<Tscene> scenes;
    return scenes;
}

struct Tscheme {
    std::string Name;
    bool FromSkin;  // the skin's own colours
    TColor Button, Panel, Font;
};

const Tscheme kSchemes[] = {
    {"Skin colours", true, 0, 0, clWhite},
    {"Amber", false, RGBColor(222, 132, 38), RGBColor(38, 34, 31), RGBColor(24, 18, 12)},
};

std::string FileStem(const std::string& text)
{
    std::string s;
    for (char c : text) s += std::isalnum(static_cast<unsigned char>(c)) ? char(std::tolower(c)) : '-';
    return s;
}

std::string Html(const std::string& text)
{
    std::string s;
    for (char c : text) {
        if (c == '<') s += "&lt;";
        else if (c == '>') s += "&gt;";
        else if (c == '&') s += "&amp;";
        else s += c;
    }
    return s;
}

}  // namespace

void RegisterScene(Tscene scene) { Registry().push_back(std::move(scene)); }
const std::vector<Tscene>& Scenes() { return Registry(); }

std::string TsceneContext::SkinValue(const std::string& section, const std::string& key, const std::string& def) const
{
    TiniFile ini((SkinFolder / "skin.usk").string());
    return ini.ReadString(section, key, def);
}

QImage TsceneContext::SkinImage(const std::string& section, const std::string& key) const
{
    const std::string name = SkinValue(section, key);
    if (name.empty()) return QImage();
    return ToSkinBitmap(QImage(QString::fromStdString((SkinFolder / name).string())));
}

QImage GrabWidget(QWidget& widget)
{
    widget.setAttribute(Qt::WA_DontShowOnScreen, true);
    widget.show();
    QApplication::processEvents();
    QImage image = widget.grab().toImage();
    widget.hide();
    return image;
}

}  // namespace tunecrest

using namespace tunecrest;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::filesystem::path out, skins = std::filesystem::path(TUNECREST_BIN_DIR) / "Skins";
    std::string onlyArea;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--skins" && i + 1 < argc)
            skins = argv[++i];
        else if (arg == "--area" && i + 1 < argc)
            onlyArea = argv[++i];
        else if (out.empty())
            out = arg;
    }
    if (out.empty()) {
        std::cerr << "usage: tunecrest-screenshots OUTPUT_FOLDER [--skins SKINS_FOLDER] [--area AREA]\n";
        return 2;
    }
    std::filesystem::create_directories(out);
    // A fixed clock and random sequence, so every run draws the same pictures.
    SetClock([] { return EncodeDate(2026, 6, 20) + EncodeTime(21, 30, 0, 0); });
    SetRandomSeed(17);

    std::vector<Tscene> scenes = Scenes();
    std::stable_sort(scenes.begin(), scenes.end(), [](const Tscene& a, const Tscene& b) { return a.Area < b.Area; });
    const std::vector<std::string> skinNames = {"Default", "Classic"};

    std::ofstream index(out / "index.html");
    index << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Tunecrest screenshots</title>\n"
             "<style>body{background:#202124;color:#e8eaed;font-family:sans-serif}"
             "td{vertical-align:top;padding:6px}img{max-width:640px;border:1px solid #555}"
             "th{text-align:left}</style></head><body>\n<h1>Tunecrest screenshots</h1>\n";
    int written = 0, failed = 0;
    std::string area;
    for (const Tscene& scene : scenes) {
        if (!onlyArea.empty() && scene.Area != onlyArea) continue;
        if (scene.Area != area) {
            if (!area.empty()) index << "</table>\n";
            area = scene.Area;
            index << "<h2>" << Html(area) << "</h2>\n<table><tr><th></th>";
            for (const auto& skin : skinNames)
                for (const auto& scheme : kSchemes) index << "<th>" << Html(skin + " / " + scheme.Name) << "</th>";
            index << "</tr>\n";
        }
        index << "<tr><th>" << Html(scene.Title) << "</th>";
        for (const auto& skin : skinNames)
            for (const auto& scheme : kSchemes) {
                TsceneContext ctx;
                ctx.SkinName = skin;
                ctx.SkinFolder = skins / skin;
                ctx.SchemeName = scheme.Name;
                if (scheme.FromSkin) {
                    ctx.ButtonColor = StringToColor(ctx.SkinValue("Colors", "ButtonColor")).value_or(0xF0F0F0);
                    ctx.PanelColor = StringToColor(ctx.SkinValue("Colors", "PanelColor")).value_or(clGray);
                } else {
                    ctx.ButtonColor = scheme.Button;
                    ctx.PanelColor = scheme.Panel;
                }
                ctx.FontColor = scheme.Font;
                ctx.CheckedFontColor = DarkenColor(ctx.ButtonColor, 30);
                const std::string file =
                    FileStem(scene.Area + "-" + scene.Name + "-" + skin + "-" + scheme.Name) + ".png";
                QImage image;
                try {
                    image = scene.Render(ctx);
                } catch (const std::exception& e) {
                    std::cerr << file << ": " << e.what() << "\n";
                }
                if (image.isNull() || !image.save(QString::fromStdString((out / file).string()), "PNG")) {
                    std::cerr << "No picture for " << file << "\n";
                    ++failed;
                    index << "<td>(missing)</td>";
                    continue;
                }
                ++written;
                index << "<td><a href=\"" << file << "\"><img src=\"" << file << "\"></a></td>";
            }
        index << "</tr>\n";
    }
    if (!area.empty()) index << "</table>\n";
    index << "</body></html>\n";
    std::cout << written << " pictures in " << out.string() << "\n";
    return failed ? 1 : 0;
}
