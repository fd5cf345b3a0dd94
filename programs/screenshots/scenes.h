#pragma once
// Scenes of the screenshot program. Each area of the interface adds a source file of its
// own here (scenes_<area>.cpp) that registers its scenes with a static TsceneRegistrar;
// the program picks every such file up without any other file being edited:
//
//   static TsceneRegistrar buttons({"skin", "buttons", "Push and check buttons",
//                                   [](const TsceneContext& ctx) { ...; return image; }});
//
// A scene draws one picture for one skin and one colour scheme. It runs on the main
// thread of a QApplication on the offscreen platform, with the clock fixed (Now()).
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QImage>

#include "core/display/color.h"

class QWidget;

namespace tunecrest {

struct TsceneContext {
    std::string SkinName;               // "Default" or "Classic"
    std::filesystem::path SkinFolder;   // the skin's folder (holding skin.usk)
    std::string SchemeName;             // the colour scheme's name
    TColor ButtonColor = clGray;
    TColor PanelColor = clGray;
    TColor FontColor = clWhite;
    TColor CheckedFontColor = clBlack;  // the button colour darkened by 30 percent

    // A value of the skin's skin.usk.
    std::string SkinValue(const std::string& section, const std::string& key, const std::string& def = "") const;
    // The template the skin names for `section` ("Image"), or for ("Keyboard", "KeyImage");
    // null when missing. Format_BGR888.
    QImage SkinImage(const std::string& section, const std::string& key = "Image") const;
};

struct Tscene {
    std::string Area;   // the file name prefix and the index heading ("skin", "text", ...)
    std::string Name;   // unique within the area, used in file names
    std::string Title;  // shown in the index
    std::function<QImage(const TsceneContext&)> Render;
};

void RegisterScene(Tscene scene);
const std::vector<Tscene>& Scenes();

struct TsceneRegistrar {
    explicit TsceneRegistrar(Tscene scene) { RegisterScene(std::move(scene)); }
};

// Shows `widget` offscreen at its present size, lets it lay out and paint, and returns
// what it shows.
QImage GrabWidget(QWidget& widget);

}  // namespace tunecrest
