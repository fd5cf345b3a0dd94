// Chinese, Japanese and Korean names are drawn with letters, not boxes: every screen font
// falls back to the installed CJK family, whatever family the skin named.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include "skin/screen_fonts.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

// The families that draw `text` in `font`, and whether every glyph was found.
std::vector<QString> DrawingFamilies(const QFont& font, const QString& text, bool& allFound) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    std::vector<QString> families;
    allFound = true;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        families.push_back(run.rawFont().familyName());
        for (quint32 glyph : run.glyphIndexes())
            if (glyph == 0) allFound = false;
    }
    return families;
}

TEST(ScreenFonts, ChineseJapaneseAndKoreanTextFallsBackToTheCjkFamily) {
    test::App();
    ASSERT_TRUE(QFontDatabase::hasFamily(kCjkFontFamily)) << "scripts/install-deps installs it";
    for (const char* stored : {"Arial", "Tahoma", "Courier New", "Some Skin Font"}) {
        const QFont font = ScreenFont(TFont{stored, clBlack, 12, false});
        ASSERT_GE(font.families().size(), 2) << stored;
        EXPECT_EQ(font.families().back(), kCjkFontFamily) << stored;
        // Latin stays in the mapped family; the CJK letters come from the fallback.
        bool found = false;
        const auto families = DrawingFamilies(font, QString::fromUtf8("Song 中文 かな 한국어"), found);
        EXPECT_TRUE(found) << stored;
        EXPECT_NE(std::find(families.begin(), families.end(), QString(kCjkFontFamily)), families.end()) << stored;
    }
}

}  // namespace
}  // namespace tunecrest
