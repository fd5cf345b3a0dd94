// The main window's views on a real window: browse modes, the track list following the
// tree, library events, the cover matrix with its image getters, and the layout's touch
// sizes at the two screen sizes the jukebox runs at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/display/tag_list_display_settings.h"
#include "core/tags/tag_list_files.h"
#include "core/display/tree_nodes.h"
#include "core/library/url_list.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "mainwindow/layout/main_layout.h"
#include "playback/image_getter.h"
#include "skin/html_label.h"
#include "skin/html_text.h"
#include "skin/paint_regions.h"
#include "skin/qt_color.h"
#include "skin/skin_button.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"
#include "support/fake_media_player.h"
#include "support/recording_prompt.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/tree_find.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

class TviewForm : public TfrmCustomTunecrest {
  public:
    explicit TviewForm(const std::string& root)
        : TfrmCustomTunecrest({"-RootFolder=" + root}, "/nonexistent/") {
        FormCreate();
    }

  protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

// A root whose library holds three albums of two artists and a compilation.
struct ViewRig {
    test::TempDir dir;
    std::string root;
    ViewRig() {
        test::App();
        root = (dir.Path() / "root").string() + "/";
        std::filesystem::create_directories(root + "Data");
        std::filesystem::create_directories(root + "Settings");
        TaudioTagList list;
        list.Add(
            test::MakeLibraryTag("/m/Abba/Gold/1.mp3", "Abba", "Dancing Queen", "Gold", "Pop", "1992", 1));
        list.Add(test::MakeLibraryTag("/m/Abba/Gold/2.mp3", "Abba", "Waterloo", "Gold", "Pop", "1992", 2));
        list.Add(test::MakeLibraryTag("/m/Abba/Arrival/1.mp3", "Abba", "Money", "Arrival", "Pop", "1976", 1));
        list.Add(test::MakeLibraryTag("/m/Beatles/Abbey/1.mp3", "Beatles", "Something", "Abbey Road", "Rock",
                                      "1969", 1));
        list.Add(test::MakeLibraryTag("/m/Hits/1.mp3", "Zed", "Zero", "Hits", "Pop", "1985"));
        list.Add(test::MakeLibraryTag("/m/Hits/2.mp3", "Yello", "Oh Yeah", "Hits", "Pop", "1987"));
        EXPECT_TRUE(SaveTagListToFile(list, root + "Data/jukebox.dat", false));
    }
    void Seed(const std::string& text) { std::ofstream(root + "Settings/settings.ini") << text; }
};

TmyNode* Find(TmyNodeList& nodes, const std::function<bool(const TmyNode&)>& match) {
    return test::FindNode(nodes, [&](const TmyNode* node) { return match(*node); });
}

TmyNode* Titled(TtouchTreeView& tree, const std::string& title) {
    return Find(tree.Nodes(), [&](const TmyNode& n) {
        auto* list = n.DataAs<TaudioTagList>();
        return list && list->Title() == title && !n.DataAs<TaudioTagCategory>();
    });
}

void Choose(TviewForm& form, TmyNode* node) {
    ASSERT_NE(node, nullptr);
    node->ExpandParents();
    form.Layout().Tree->RebuildVisible();
    form.Layout().Tree->SelectNode(node, false);
}

TEST(MainViews, BrowseModesAndTheTrackListFollowTheTree) {
    ViewRig r;
    r.Seed("[Geometry]\nWidth=1280\nHeight=800\nFullScreen=0\n[RandomPlay]\nEnabled=0\n");
    TviewForm form(r.root);
    form.ReadDisplaySettings();
    form.DoInitialise();
    TmainLayout& layout = form.Layout();
    EXPECT_EQ(form.BrowseMode(), bmTree);
    EXPECT_TRUE(form.Actions().Get("actnViewJukeboxlistView").Checked);
    ASSERT_GT(layout.Tree->Nodes().Count(), 0);

    // Choosing an album fills the track list with its tracks in track order.
    Choose(form, Titled(*layout.Tree, "Gold"));
    ASSERT_EQ(layout.TrackList->Count(), 2);
    EXPECT_EQ(layout.Lists().Rows().Tracks[0]->Title(), "Dancing Queen");
    EXPECT_NE(layout.TrackListHeader->Caption().find("Gold (Abba)"), std::string::npos);
    // Queueing the chosen row goes through the action, and the queue list follows.
    layout.TrackList->SetItemIndex(1);
    EXPECT_TRUE(form.RunAction("actnQueueAddSelected"));
    ASSERT_EQ(form.JukeboxList()->Jukebox()->Queue().Count(), 1);
    EXPECT_EQ(form.JukeboxList()->Jukebox()->Queue().GetTag(0)->Title(), "Waterloo");
    EXPECT_EQ(layout.QueueList->Count(), 1);
    EXPECT_NE(layout.QueueHeader->Caption().find("(1 Track, "), std::string::npos);
    EXPECT_TRUE(form.RunAction("actnQueueAddAll"));
    EXPECT_EQ(layout.QueueList->Count(), 3);

    // Artists with covers: the albums level leaves the tree; the artist's covers show.
    EXPECT_TRUE(form.RunAction("actnViewArtistsAndCovers"));
    EXPECT_EQ(form.BrowseMode(), bmArtistsAndCovers);
    EXPECT_TRUE(form.Actions().Get("actnViewArtistsAndCovers").Checked);
    EXPECT_FALSE(form.Actions().Get("actnViewJukeboxlistView").Checked);
    TmyNode* abba = Find(layout.Tree->Nodes(), [](const TmyNode& n) {
        return n.DataAs<TaudioTagArtist>() && n.Caption == "Abba" && n.Parent() && n.Parent()->Tag >= 0 &&
               n.Parent()->Tag < bcOther;
    });
    ASSERT_NE(abba, nullptr);
    EXPECT_EQ(abba->Children().Count(), 0);
    Choose(form, abba);
    EXPECT_EQ(layout.ArtistCovers().Albums().size(), 2u);
    EXPECT_EQ(layout.ArtistCoverMatrix->XCount(), 3);
    EXPECT_EQ(layout.ArtistCoverMatrix->YCount(), 1);
    // A cover touched shows its album.
    layout.ArtistCovers().OnAlbumClick(layout.ArtistCovers().Albums()[0]);
    EXPECT_EQ(layout.TrackList->Count(), layout.ArtistCovers().Albums()[0]->Count());

    // Covers: the tree is emptied and every album is in the matrix's list, by name.
    EXPECT_TRUE(form.RunAction("actnViewCoverArtView"));
    EXPECT_EQ(form.BrowseMode(), bmCovers);
    EXPECT_EQ(layout.Tree->Nodes().Count(), 0);
    ASSERT_EQ(layout.Covers().Albums().size(), 4u);
    EXPECT_EQ(layout.Covers().Albums()[0]->Title(), "Abbey Road");
    EXPECT_EQ(layout.CoverMatrix->RegionCount(), 9);
    EXPECT_TRUE(layout.CoverBar->isVisibleTo(&form));
    EXPECT_FALSE(layout.Tree->isVisibleTo(&form));

    // Back to the tree: the albums are there again.
    EXPECT_TRUE(form.RunAction("actnViewJukeboxlistView"));
    EXPECT_NE(Titled(*layout.Tree, "Gold"), nullptr);
    // A typed letter (either case) selects its letter node.
    layout.Tree->setFocus();
    QTest::keyClick(layout.Tree, Qt::Key_B, Qt::NoModifier, -1);
    ASSERT_NE(layout.Browse().SelectedNode(), nullptr);
    EXPECT_EQ(layout.Browse().SelectedNode()->Tag, bcFirstLetter + 1);
    QTest::keyClick(layout.Tree, Qt::Key_A, Qt::ShiftModifier, -1);
    EXPECT_EQ(layout.Browse().SelectedNode()->Tag, bcFirstLetter);
    QTest::keyClick(layout.Tree, Qt::Key_B, Qt::ControlModifier, -1);
    EXPECT_EQ(layout.Browse().SelectedNode()->Tag, bcFirstLetter);  // not with Ctrl

    // A title that looks like markup is shown as it is.
    auto odd = test::MakeLibraryTag("/m/odd.mp3", "<b>Bold</b>", "<i>Slanted</i>", "");
    form.JukeboxList()->AddToQueue(*odd);
    form.PlayerPlay();
    EXPECT_EQ(layout.NowPlaying->textFormat(), Qt::PlainText);
    form.Controller().SetClosing();
}

TEST(MainViews, LibraryEventsRefreshTheViews) {
    ViewRig r;
    r.Seed("[Geometry]\nWidth=1280\nHeight=800\nFullScreen=0\n[RandomPlay]\nEnabled=0\n[View]\nKind=2\n");
    TviewForm form(r.root);
    form.ReadDisplaySettings();
    form.DoInitialise();
    TmainLayout& layout = form.Layout();
    // The stored browse mode is the one the window starts in.
    EXPECT_EQ(form.BrowseMode(), bmArtistsAndCovers);
    EXPECT_TRUE(form.RunAction("actnViewJukeboxlistView"));
    Choose(form, Titled(*layout.Tree, "Gold"));
    ASSERT_EQ(layout.TrackList->Count(), 2);
    EXPECT_EQ(Find(layout.Tree->Nodes(), [](const TmyNode& n) { return n.Caption == "Queen"; }), nullptr);

    // A track of a new artist arrives (a scan finished): the shown list is cleared and
    // the tree has the new artist.
    auto& global = form.JukeboxList()->GlobalList();
    global.Add(test::MakeLibraryTag("/m/Queen/Opera/1.mp3", "Queen", "Bohemian Rhapsody", "Opera", "Rock",
                                    "1975", 1));
    EXPECT_EQ(layout.TrackList->Count(), 0);
    EXPECT_NE(Find(layout.Tree->Nodes(), [](const TmyNode& n) { return n.Caption == "Queen"; }), nullptr);

    // A playlist added: the tree shows it under "[Playlists]".
    auto party = std::make_shared<TaudioTagList>();
    party->SetTitle("Party");
    party->Add(global.GetTag(0));
    form.JukeboxList()->Playlists().AddList(party);
    TmyNode* node = Titled(*layout.Tree, "Party");
    ASSERT_NE(node, nullptr);
    Choose(form, node);
    EXPECT_EQ(layout.TrackList->Count(), 1);
    EXPECT_TRUE(layout.Lists().Rows().Playlist);

    // In the covers mode the matrix follows the library as well.
    EXPECT_TRUE(form.RunAction("actnViewCoverArtView"));
    const size_t albums = layout.Covers().Albums().size();
    global.Add(test::MakeLibraryTag("/m/Queen/Jazz/1.mp3", "Queen", "Mustapha", "Jazz", "Rock", "1978", 1));
    EXPECT_EQ(layout.Covers().Albums().size(), albums + 1);
    form.Controller().SetClosing();
}

TEST(MainViews, AddingSelectedRowsSpendsCreditsAndStopsWhenNoneAreLeft) {
    ViewRig r;
    r.Seed("[Geometry]\nWidth=1280\nHeight=800\nFullScreen=0\n[RandomPlay]\nEnabled=0\n");
    auto prompt = std::make_shared<test::TrecordingPrompt>();
    auto previous = SetPrompt(prompt);
    {
        TviewForm form(r.root);
        form.ReadDisplaySettings();
        form.DoInitialise();
        TmainLayout& layout = form.Layout();
        form.PartyPlaySettings().SetEnabledCreditMode(true);
        ASSERT_TRUE(form.SetPartyPlay(true));
        form.Guards().SetCredits(1);
        Choose(form, Titled(*layout.Tree, "Gold"));
        layout.TrackList->SetSelected(0, true);
        layout.TrackList->SetSelected(1, true);
        form.QueueAddSelected();
        // One credit: one track queued, the person told, the rest left selected.
        EXPECT_EQ(form.JukeboxList()->Jukebox()->Queue().Count(), 1);
        EXPECT_EQ(form.Guards().Credits(), 0);
        ASSERT_EQ(prompt->Messages.size(), 1u);
        EXPECT_NE(prompt->Messages[0].find("There are no credits left.\r\n\r\nPlease add more credits."),
                  std::string::npos);
        EXPECT_FALSE(layout.TrackList->Selected(0));
        EXPECT_TRUE(layout.TrackList->Selected(1));
        EXPECT_EQ(layout.StatusLine->text().toStdString(), "Added 1 Track to the Queue: no credits left");
        form.Controller().SetClosing();
    }
    SetPrompt(previous);
}

TEST(MainViews, HintsOnlyWithTrackDetails) {
    ViewRig r;
    r.Seed("[Geometry]\nWidth=1280\nHeight=800\nFullScreen=0\n[RandomPlay]\nEnabled=0\n");
    TviewForm form(r.root);
    form.ReadDisplaySettings();
    form.DoInitialise();
    TmainLayout& layout = form.Layout();
    Choose(form, Titled(*layout.Tree, "Gold"));
    layout.Lists().ShowTrackDetails = false;
    EXPECT_EQ(layout.Lists().HintAt(*layout.TrackList, 0), "");
    layout.Lists().ShowTrackDetails = true;
    EXPECT_EQ(layout.Lists().HintAt(*layout.TrackList, 0).substr(0, 7), "File : ");
    EXPECT_EQ(layout.Lists().HintAt(*layout.TrackList, 5), "");
    EXPECT_EQ(layout.Lists().HintAt(*layout.QueueList, 0), "");
    form.Controller().SetClosing();
}

TEST(TrackViews, StationRowsPaintTheirIconAndHighlight) {
    test::App();
    TfontContainer fonts;
    fonts.Assign(DefaultFontStore(fsLists));
    TformatStringContainer formats;
    ResetFormatStrings(formats);
    TtagListDisplaySettings settings;
    TtouchListBox tracks, queue;
    tracks.resize(400, 300);
    TtrackListViews views(tracks, queue, fonts, formats, settings, settings);
    auto urls = std::make_shared<TurlList>();
    urls->Add("Jazz <FM>", "http://127.0.0.1/jazz");
    TmyNodeList nodes;
    views.ShowNode(nodes.AddNode(urls, false, "[Internet Radio]"));
    ASSERT_EQ(tracks.Count(), 1);
    EXPECT_FALSE(tracks.MultiSelect);
    std::string name, url;
    tracks.SetItemIndex(0);
    ASSERT_TRUE(views.SelectedStation(name, url));
    EXPECT_EQ(url, "http://127.0.0.1/jazz");
    // Highlighted: the row stands on the highlight background, the station icon at its left.
    QImage image(400, 56, QImage::Format_RGB32);
    QPainter painter(&image);
    views.PaintRow(tracks, 0, QRect(0, 0, 400, 56), painter, true);
    painter.end();
    const QColor highlight = ToQColor(ListColor(fonts, lcHighlightFontBackground));
    EXPECT_EQ(image.pixelColor(2, 2), highlight);
    EXPECT_EQ(image.pixelColor(398, 28), highlight);
    bool iconDrawn = false;
    for (int y = 14; y < 42; ++y)
        for (int x = 10; x < 38; ++x) iconDrawn = iconDrawn || image.pixelColor(x, y) != highlight;
    EXPECT_TRUE(iconDrawn);
    EXPECT_EQ(TrackIcon(nullptr), liStation);
    auto video = test::MakeTag("A", "B");
    video->SetMediaType(mkVideo);
    EXPECT_EQ(TrackIcon(video.get()), liVideo);
    video->SetMediaType(mkKaraoke);
    EXPECT_EQ(TrackIcon(video.get()), liKaraoke);
}

TEST(TrackViews, TextTooWideForItsColumnFadesOutAtItsEdge) {
    test::App();
    const TColor back = RGBColor(20, 30, 40);
    const QColor backColor = ToQColor(back), rule(200, 0, 0);
    const QRect row(0, 0, 240, 48), text(10, 0, 200, 48);
    const TFont font{"Tahoma", clWhite, 16, true};
    auto paint = [&](const std::string& caption) {
        QImage image(row.size(), QImage::Format_RGB32);
        image.fill(backColor);
        QPainter painter(&image);
        painter.setPen(rule);
        painter.drawLine(0, row.bottom(), row.right(), row.bottom());  // the rule under the row
        const int width = DrawHTMLText(painter, caption, text, font, Qt::AlignVCenter);
        FadeOverflow(painter, text, width, back);
        painter.end();
        return std::make_pair(image, width);
    };
    auto differs = [&](const QImage& image, int fromX, int toX) {
        int count = 0;
        for (int y = 0; y < row.bottom(); ++y)
            for (int x = fromX; x <= toX; ++x) count += image.pixelColor(x, y) != backColor;
        return count;
    };
    // Solid capitals, so letters cover every column where the text stops.
    const auto [wide, wideWidth] = paint("MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM");
    ASSERT_GT(wideWidth, text.width());
    EXPECT_GT(differs(wide, text.left(), text.left() + 100), 0);  // the start still reads
    EXPECT_EQ(differs(wide, text.right() + 1, row.right()), 0);   // nothing past the column
    // The last pixels of the column are (all but) the background.
    int farFromBack = 0;
    for (int y = 0; y < row.bottom(); ++y)
        for (int x = text.right() - 2; x <= text.right(); ++x) {
            const QColor edge = wide.pixelColor(x, y);
            farFromBack += std::abs(edge.red() - backColor.red()) +
                               std::abs(edge.green() - backColor.green()) +
                               std::abs(edge.blue() - backColor.blue()) >
                           40;
        }
    EXPECT_EQ(farFromBack, 0);
    EXPECT_EQ(wide.pixelColor(text.right() - 10, row.bottom()), rule);  // the rule shows under the fade
    // A caption that fits is left as drawn.
    const auto [shortText, shortWidth] = paint("Fits");
    ASSERT_LT(shortWidth, text.width() - 40);
    EXPECT_GT(differs(shortText, text.left(), text.left() + shortWidth), 0);
    EXPECT_EQ(differs(shortText, text.left() + shortWidth + 2, row.right()), 0);
}

// A solid picture file for a cover.
void WriteCover(const std::filesystem::path& folder, QColor color) {
    std::filesystem::create_directories(folder);
    QImage image(64, 64, QImage::Format_RGB888);
    image.fill(color);
    ASSERT_TRUE(image.save(QString::fromStdString((folder / "Folder.bmp").string()), "BMP"));
}

TEST(CoverMatrix, PagesWrapAndTheGetterHandsPicturesBack) {
    test::App();
    test::TempDir dir;
    auto previous = SetDispatcher(std::make_shared<TqtDispatcher>());
    TaudioTagAlbumList albumList;
    TcoverAlbums albums;
    for (int i = 0; i < 5; ++i) {
        const auto folder = dir.Path() / ("album" + std::to_string(i));
        if (i == 0) WriteCover(folder, QColor(220, 20, 30));
        auto tag =
            test::MakeLibraryTag((folder / "1.mp3").string(), "Artist", "Song",
                                 i == 4 ? std::string("Zulu") : "Album " + std::to_string(i), "", "", 1);
        albums.push_back(albumList.AddTag(tag));
    }
    TfontContainer fonts;
    fonts.Assign(DefaultFontStore(fsLists));
    TpaintRegionContainer matrix;
    matrix.resize(400, 400);
    matrix.SetMatrix(2, 2);
    TcoverMatrixView view(matrix, fonts);
    view.SetAlbums(albums);
    EXPECT_EQ(view.FirstShown(), 0);
    EXPECT_EQ(view.AlbumOfCell(0), albums[0]);
    view.PageDown();
    EXPECT_EQ(view.FirstShown(), 4);
    EXPECT_EQ(view.AlbumOfCell(0), albums[4]);
    EXPECT_EQ(view.AlbumOfCell(1), nullptr);  // past the end: an empty cell
    view.PageDown();
    EXPECT_EQ(view.FirstShown(), 0);  // wraps to the first page
    view.PageUp();
    EXPECT_EQ(view.FirstShown(), 1);  // before the start: the last full page
    EXPECT_TRUE(view.ShowAlbum(albums[4].get()));
    EXPECT_EQ(view.FirstShown(), 4);
    EXPECT_EQ(matrix.FocusedIndex(), 0);
    // A typed letter turns to the page of the first album that begins with it.
    view.ShowFrom(0);
    QTest::keyClick(&matrix, Qt::Key_Z, Qt::NoModifier);
    EXPECT_EQ(view.FirstShown(), 4);
    QTest::keyClick(&matrix, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(view.FirstShown(), 0);

    // The first page: the cover of album 0 is fetched on a worker and handed back to the
    // main thread, where its cell shows it.
    view.ShowFrom(0);
    auto* region = static_cast<TimagePaintRegion*>(matrix.GetRegion(0));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (region->Picture().isNull() && std::chrono::steady_clock::now() < until) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(region->Picture().isNull());
    const QImage shot = matrix.grab().toImage();
    const QColor middle = shot.pixelColor(100, 80);
    EXPECT_GT(middle.red(), 180);
    EXPECT_LT(middle.green(), 60);
    // An album without a cover shows the no-cover picture, never a blank cell.
    const QColor other = shot.pixelColor(300, 80);
    EXPECT_NE(other, shot.pixelColor(300, 2));
    SetDispatcher(previous);
}

TEST(MainLayout, TouchTargetsAtBothScreenSizes) {
    ViewRig r;
    r.Seed("[RandomPlay]\nEnabled=0\n[Geometry]\nFullScreen=0\n");
    TviewForm form(r.root);
    form.ReadDisplaySettings();
    form.DoInitialise();
    form.setAttribute(Qt::WA_DontShowOnScreen, true);
    form.show();
    for (const QSize size : {QSize(1280, 800), QSize(1920, 1080)}) {
        for (const char* action :
             {"actnViewJukeboxlistView", "actnViewCoverArtView", "actnViewArtistsAndCovers"}) {
            form.RunAction(action);
            form.resize(size);
            QApplication::processEvents();
            const std::string where = std::string(action) + " " + std::to_string(size.width());
            // The window keeps the screen's size: nothing forces it wider or taller.
            EXPECT_EQ(form.size(), size) << where;
            for (QWidget* w : form.findChildren<QWidget*>()) {
                if (!w->isVisibleTo(&form)) continue;
                const bool target = dynamic_cast<TmySkinButton*>(w) || dynamic_cast<TmySkinScrollBar*>(w);
                if (target) {
                    EXPECT_GE(w->width(), 48) << w->objectName().toStdString() << " " << where;
                    EXPECT_GE(w->height(), 48) << w->objectName().toStdString() << " " << where;
                }
                // Every control lies inside the window.
                const QRect onForm(w->mapTo(&form, QPoint(0, 0)), w->size());
                EXPECT_TRUE(form.rect().contains(onForm)) << w->objectName().toStdString() << " " << where;
            }
            for (TcustomTouchListBox* list : {static_cast<TcustomTouchListBox*>(form.Layout().TrackList),
                                              static_cast<TcustomTouchListBox*>(form.Layout().QueueList),
                                              static_cast<TcustomTouchListBox*>(form.Layout().Tree)})
                EXPECT_GE(list->ItemHeight(), 48) << where;
            // Cover cells large enough to touch and to recognise.
            if (form.BrowseMode() == bmCovers) {
                const Trect cell = form.Layout().CoverMatrix->CellRect(0);
                EXPECT_GE(cell.Right - cell.Left, 120) << where;
                EXPECT_GE(cell.Bottom - cell.Top, 120) << where;
            }
        }
    }
    // The stored widths keep their meaning: the browse column takes the stored width.
    TlayoutKeys keys;
    keys.CoverArtWidth = 500;
    EXPECT_EQ(LayoutColumns(1920, keys, false).Browse, 500);
    keys.CoverArtWidth = 1500;  // would leave the other columns no room
    EXPECT_LT(LayoutColumns(1280, keys, false).Browse, 500);
    const TcolumnWidths c = LayoutColumns(1280, {}, false);
    EXPECT_GE(std::min({c.Browse, c.Tracks, c.Queue}), kMinColumnWidth);
    form.hide();
    form.Controller().SetClosing();
}

TEST(MainLayout, LayoutKeysReadAndWritten) {
    ViewRig r;
    r.Seed("[Geometry]\nCoverArtWidth=420\nTrackListWidth=460\nFullScreen=0\n[RandomPlay]\nEnabled=0\n");
    {
        TviewForm form(r.root);
        form.ReadDisplaySettings();
        EXPECT_EQ(form.Layout().Keys.CoverArtWidth, 420);
        EXPECT_EQ(form.Layout().Keys.TrackListWidth, 460);
        EXPECT_EQ(form.Layout().Keys.QueueHeight, 0);  // missing: the current value
        form.DoInitialise();
        form.close();
    }
    const TiniFile ini(r.root + "Settings/settings.ini");
    EXPECT_EQ(ini.ReadInteger("Geometry", "CoverArtWidth", 0), 420);
    EXPECT_EQ(ini.ReadInteger("Geometry", "TrackListWidth", 0), 460);
    EXPECT_TRUE(ini.SectionExists("FormatStrings"));
    EXPECT_TRUE(ini.SectionExists("TrackListDisplaySettings"));
}

}  // namespace
}  // namespace tunecrest
