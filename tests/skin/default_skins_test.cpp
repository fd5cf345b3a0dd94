// The two skins the build draws: every template is loaded back and checked for what the
// controls rely on (frame counts, markers, masks, grey levels, seamless tiling parts).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/display/color_text.h"
#include "core/base/ini_file.h"
#include "skin/skin_parts.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

const std::filesystem::path kSkins = std::filesystem::path(TUNECREST_BIN_DIR) / "Skins";

struct Texpected {
    const char* Section;
    int Frames;
    bool Vertical;
    const std::vector<TColor>* Mask;  // nullptr: no mask frame
    int MinFace;                      // smallest frame side a finger must hit
};

const Texpected kTemplates[] = {
    {"Button", 3, false, &kFaceMask, 48},
    {"CheckButton", 5, false, &kFaceMask, 48},
    {"ScrollBarVertical", 3, false, &kFaceMask, 48},
    {"ScrollBarHorizontal", 3, true, &kFaceMask, 48},
    {"Panel", 1, false, nullptr, 0},
    {"Splitter", 1, false, nullptr, 0},
    {"MultiButton", 4, false, &kMultiButtonMask, 96},
};

QImage Load(const std::filesystem::path& file)
{
    QImage image(QString::fromStdString(file.string()));
    return ToSkinBitmap(image);
}

int CountMarkers(const QImage& image, bool alongRow, int length)
{
    int count = 0;
    for (int i = 0; i < length; ++i)
        if (IsMarkerPixel(alongRow ? SkinPixel(image, i, 0) : SkinPixel(image, 0, i))) ++count;
    return count;
}

// True when every row (or column) of `r` repeats one value along the given axis.
bool EvenAlong(const QImage& image, const TskinRect& r, bool alongX)
{
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (SkinPixel(image, x, y) != (alongX ? SkinPixel(image, r.Left, y) : SkinPixel(image, x, r.Top))) return false;
    return true;
}

class DefaultSkins : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        test::App();
        Ffolder = kSkins / GetParam();
        ASSERT_TRUE(std::filesystem::exists(Ffolder / "skin.usk")) << Ffolder;
        Fini = std::make_unique<TiniFile>((Ffolder / "skin.usk").string());
    }
    std::filesystem::path Image(const std::string& section, const std::string& key = "Image") const
    {
        return Ffolder / Fini->ReadString(section, key, "");
    }
    std::filesystem::path Ffolder;
    std::unique_ptr<TiniFile> Fini;
};

TEST_P(DefaultSkins, SkinFileDescribesTheSkin)
{
    EXPECT_EQ(Fini->ReadString("Info", "Title", ""), GetParam());
    EXPECT_FALSE(Fini->ReadString("Info", "Description", "").empty());
    for (const char* key : {"ButtonColor", "PanelColor", "DefaultButtonColor", "DefaultPanelColor"})
        EXPECT_TRUE(StringToColor(Fini->ReadString("Colors", key, "")).has_value()) << key;
    EXPECT_TRUE(Fini->ValueExists("Settings", "FontShadows"));
    // Every file the skin names exists beside it, by its bare name.
    EXPECT_TRUE(std::filesystem::is_regular_file(Image("Keyboard", "KeyImage")));
    // The backspace key's glyph: a picture on the glyph transparent colour with a shape in it.
    ASSERT_TRUE(std::filesystem::is_regular_file(Image("Keyboard", "BackspaceImage")));
    const QImage glyph = QImage(QString::fromStdString(Image("Keyboard", "BackspaceImage").string()));
    ASSERT_FALSE(glyph.isNull());
    EXPECT_EQ(glyph.pixelColor(0, 0), QColor(255, 0, 255));
    EXPECT_NE(glyph.pixelColor(glyph.width() / 2, glyph.height() / 2), QColor(255, 0, 255));
    for (const Texpected& t : kTemplates) {
        const std::string name = Fini->ReadString(t.Section, "Image", "");
        EXPECT_EQ(name.find('/'), std::string::npos) << t.Section;
        EXPECT_TRUE(std::filesystem::is_regular_file(Ffolder / name)) << t.Section;
    }
    EXPECT_TRUE(Fini->ValueExists("Panel", "StretchDraw"));
    EXPECT_FALSE(Fini->ValueExists("Button", "StretchDraw"));
}

TEST_P(DefaultSkins, FramesMasksAndGreyLevels)
{
    for (const Texpected& t : kTemplates) {
        SCOPED_TRACE(t.Section);
        const QImage image = Load(Image(t.Section));
        ASSERT_FALSE(image.isNull());
        const int length = t.Vertical ? image.height() : image.width();
        ASSERT_EQ(length % t.Frames, 0);
        const int frame = length / t.Frames;
        EXPECT_GE(std::min(t.Vertical ? image.width() : frame, t.Vertical ? frame : image.height()), t.MinFace);
        const int maskStart = t.Mask ? (t.Frames - 1) * frame : length;

        std::set<TColor> maskSeen;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const TcolorTriple p = SkinPixel(image, x, y);
                const int along = t.Vertical ? y : x;
                if (along >= maskStart) {
                    const TColor c = TripleToColor(p);
                    ASSERT_TRUE(c == clBlack || ColorInList(c, *t.Mask)) << x << "," << y;
                    maskSeen.insert(c);
                } else {
                    // Grey levels (recoloured with Color1) or, in panels, blue-only accents.
                    ASSERT_TRUE(IsGreyPixel(p) || (t.Frames == 1 && IsBlueOnlyPixel(p))) << x << "," << y;
                }
            }
        if (t.Mask) {
            for (TColor c : *t.Mask) EXPECT_TRUE(maskSeen.count(c)) << "mask colour " << c << " unused";
        }
    }
}

TEST_P(DefaultSkins, MarkersCutUsableParts)
{
    // Scroll bars: three markers along the bar in the first frame.
    const QImage vertical = Load(Image("ScrollBarVertical"));
    EXPECT_EQ(CountMarkers(vertical, false, vertical.height()), 3);
    const QImage horizontal = Load(Image("ScrollBarHorizontal"));
    EXPECT_EQ(CountMarkers(horizontal, true, horizontal.width()), 3);
    // The track (between the second and third marker) repeats seamlessly along the bar.
    std::vector<int> marks;
    for (int y = 0; y < vertical.height(); ++y)
        if (IsMarkerPixel(SkinPixel(vertical, 0, y))) marks.push_back(y);
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_TRUE(EvenAlong(vertical, {1, marks[1] + 1, vertical.width() / 3, marks[2]}, false));

    // Panel and splitter: two markers each way, nine usable parts, a flat centre and
    // edges that are even along their length, so tiling shows no seams.
    for (const char* section : {"Panel", "Splitter"}) {
        SCOPED_TRACE(section);
        const QImage src = Load(Image(section));
        EXPECT_EQ(CountMarkers(src, true, src.width()), 2);
        EXPECT_EQ(CountMarkers(src, false, src.height()), 2);
        TskinColors a, b;
        QImage dest;
        TskinRects r;
        ComputeSkinRects(src, dest, r, a, 1, b);
        for (int n = 0; n < 9; ++n) EXPECT_TRUE(IsValidSkinRect(r[size_t(n)])) << n;
        // The panel's centre is flat; the splitter's repeats a grip dot.
        if (std::string(section) == "Panel") {
            EXPECT_TRUE(EvenAlong(src, r[4], true) && EvenAlong(src, r[4], false));
        }
        EXPECT_TRUE(EvenAlong(src, r[1], true));
        EXPECT_TRUE(EvenAlong(src, r[7], true));
        EXPECT_TRUE(EvenAlong(src, {r[3].Left + 1, r[3].Top, r[3].Right, r[3].Bottom}, false));
        EXPECT_TRUE(EvenAlong(src, r[5], false));
    }
}

TEST_P(DefaultSkins, KeyboardKeyStretchesFromThreeByThreeCells)
{
    const QImage key = Load(Image("Keyboard", "KeyImage"));
    ASSERT_EQ(key.width() % 3, 0);
    const int frame = key.width() / 3;
    EXPECT_GE(key.height(), 48);
    const int cw = frame / 3, ch = key.height() / 3;
    for (int f = 0; f < 2; ++f) {
        const int x0 = f * frame;
        EXPECT_TRUE(EvenAlong(key, {x0 + cw, ch, x0 + 2 * cw, 2 * ch}, true)) << f;   // centre flat
        EXPECT_TRUE(EvenAlong(key, {x0 + cw, ch, x0 + 2 * cw, 2 * ch}, false)) << f;
        EXPECT_TRUE(EvenAlong(key, {x0 + cw, 0, x0 + 2 * cw, ch}, true)) << f;        // top edge
        EXPECT_TRUE(EvenAlong(key, {x0 + cw, 2 * ch, x0 + 2 * cw, 3 * ch}, true)) << f;  // bottom edge
        EXPECT_TRUE(EvenAlong(key, {x0, ch, x0 + cw, 2 * ch}, false)) << f;           // left edge
        EXPECT_TRUE(EvenAlong(key, {x0 + 2 * cw, ch, x0 + frame, 2 * ch}, false)) << f;  // right edge
    }
    // The mask frame: white face in the middle, black at the very corner.
    EXPECT_EQ(SkinPixel(key, 2 * frame + frame / 2, key.height() / 2), (TcolorTriple{255, 255, 255}));
    EXPECT_EQ(SkinPixel(key, 2 * frame, 0), TcolorTriple{});
}

TEST_P(DefaultSkins, ButtonStatesDifferAndFacesTakeTheButtonColour)
{
    const QImage check = Load(Image("CheckButton"));
    const int frame = check.width() / 5;
    const int cx = frame / 2, cy = check.height() / 2;
    // Normal, pressed, checked and checked-pressed faces are four different levels, the
    // checked ones clearly lighter.
    std::set<int> levels;
    for (int f = 0; f < 4; ++f) levels.insert(SkinPixel(check, f * frame + cx, cy).R);
    EXPECT_EQ(levels.size(), 4u);
    EXPECT_GT(SkinPixel(check, 2 * frame + cx, cy).R, SkinPixel(check, cx, cy).R + 30);

    // Recoloured, the face centre tints the button colour and the corner is the panel colour.
    TskinColors face, outer;
    face.SetColor1(0xA86D4A);
    outer.SetColor1(0x754939);
    QImage button = Load(Image("Button"));
    const uint8_t faceLevel = SkinPixel(button, cx, cy).R;
    RecolourSkinBitmap(button, 3, face, outer, false, kFaceMask);
    EXPECT_EQ(SkinPixel(button, cx, cy), ShadeColor(faceLevel, ColorToTriple(0xA86D4A)));
    EXPECT_EQ(SkinPixel(button, 0, 0), ColorToTriple(0x754939));
}

INSTANTIATE_TEST_SUITE_P(Skins, DefaultSkins, ::testing::Values("Default", "Classic"));

}  // namespace
}  // namespace tunecrest
