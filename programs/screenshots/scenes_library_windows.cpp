// Scenes of the library windows with a demo library: the playlist editor with a playlist
// being built, the stacker window with cartridges, the album picker and the playlist
// display.
#include <QCoreApplication>
#include <QPainter>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <filesystem>

#include "core/display/font_store.h"
#include "core/jukebox/global_prefs.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "demo_library.h"
#include "scenes.h"
#include "skin/component_owner.h"
#include "skin/image_list.h"
#include "skin/jukebox_list_viewer.h"
#include "skin/keyboard.h"
#include "skin/skin_button.h"
#include "skin/skin_colors.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"
#include "skin/small_dialogs.h"
#include "skin/touch_list_box.h"
#include "windows/library/choose_cd.h"
#include "windows/library/playlist_display.h"
#include "windows/library/playlist_editor.h"
#include "windows/library/stacker_list.h"

namespace tunecrest {

namespace {

// The demo library in a folder of its own, with two playlists, two cartridges and an
// activated playlist.
struct TdemoLibrary {
    TsceneFolder Root{"tunecrest-library-scene"};
    std::unique_ptr<TlocalJukeboxList> Lib;

    TdemoLibrary() {
        MakeDemoLibrary(Root.Path());
        Lib = std::make_unique<TlocalJukeboxList>();
        Lib->SetDataFolder((std::filesystem::path(Root.Path()) / "Data").string());
        Lib->LoadIndexes();
        auto playlist = [&](const char* title, std::initializer_list<const char*> titles) {
            auto list = std::make_shared<TaudioTagList>();
            list->SetTitle(title);
            for (const char* track : titles)
                if (TaudioTagPtr tag = FindTrack(Lib->GlobalList(), track)) list->Add(tag->Clone());
            Lib->Playlists().AddList(list);
            return list;
        };
        playlist("Friday Night",
                 {"Moonrise", "Long Slide", "Glow", "Barn Lights", "Tip Jar", "Night Shift", "Lighthouse"});
        auto sunday = playlist("Sunday Brunch", {"Lantern", "River Song", "Home Again", "Quiet Streets"});
        Lib->AddToStacker(Lib->AlbumList().FindList("Midnight Tones").get());
        Lib->AddToStacker(Lib->AlbumList().FindList("Edges").get());
        Lib->AddToStacker(sunday.get());
        Lib->SetStackerActive(true);
        Lib->ActivatePlaylist("Friday Night");
    }
    ~TdemoLibrary() { Lib.reset(); }  // before the folder goes
    TcustomJukebox& Jukebox() { return *Lib->Jukebox(); }
};

// The skin's fonts and colours as a skin file gives them: item fonts, the album, artist
// and duration fonts, "Heading" and "Album", and the selection colours.
void FillSkinFonts(TfontContainer& skin, const TsceneContext& ctx) {
    skin.Items().Clear();
    skin.Colors().Clear();
    auto font = [&](const char* name, const char* mask, TColor color, int size, bool bold) {
        TfontItem& item = skin.Items().Add();
        item.NiceName = name;
        item.Mask = mask;
        TFont f;
        f.Name = "Tahoma";
        f.Color = color;
        f.Size = size;
        f.Bold = bold;
        item.SetFont(f);
    };
    font("Item", "FI0", clWhite, 13, false);
    font("Selected Item", "FI1", clWhite, 13, true);
    font("Tree", "FTR", clWhite, 13, false);
    font("Heading", "FHD", clWhite, 14, true);
    font("Album", "FAL", RGBColor(250, 226, 160), 13, true);
    font("Artist", "FAR", RGBColor(200, 220, 255), 13, false);
    font("Duration", "FDU", RGBColor(170, 175, 185), 11, false);
    for (TColor c : {ctx.PanelColor, ctx.ButtonColor, RGBColor(120, 126, 140), clWhite, ctx.ButtonColor})
        skin.Colors().Add().color = c;
}

// Node images drawn from code: folders, discs and lists, in the order the tree rows use.
void FillTreeImages(TimageList& images) {
    auto make = [](QColor colour, int kind) {
        QImage image(20, 20, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(colour.darker(160));
        p.setBrush(colour);
        switch (kind) {
            case 0:
                p.drawRoundedRect(2, 5, 16, 12, 2, 2);
                p.drawRect(2, 3, 7, 3);
                break;  // folder
            case 1:
                p.drawEllipse(2, 2, 16, 16);
                p.setBrush(Qt::black);
                p.drawEllipse(8, 8, 4, 4);
                break;  // disc
            default:
                p.drawRect(3, 2, 14, 16);
                p.setPen(colour.darker(200));
                for (int y = 6; y <= 14; y += 4) p.drawLine(6, y, 14, y);
                break;
        }
        return image;
    };
    const QColor folder(230, 190, 90), open(250, 215, 120), disc(170, 200, 235), list(180, 220, 170),
        active(120, 230, 120);
    const std::pair<QColor, int> kinds[] = {{folder, 0}, {folder, 0}, {list, 2}, {open, 0},   {open, 0},
                                            {folder, 0}, {disc, 1},   {list, 2}, {active, 2}, {folder, 0},
                                            {folder, 0}, {folder, 0}, {disc, 1}};
    for (const auto& [colour, kind] : kinds) images.Add(make(colour, kind));
}

void SelectNode(TtouchTreeView& tree, const std::string& title) {
    if (TmyNode* node = FindListNode(tree.Nodes(), title)) {
        node->ExpandParents();
        if (TmyNode* parent = node->Parent()) parent->SetExpanded(true);
        tree.RebuildVisible();
        tree.SelectNode(node, false);
    }
}

// The skin of the scene given to the preferences the skinned windows read.
struct TsceneSkin {
    TfontContainer Fonts;
    TimageList Images{20, 20};
    TmySkinScrollBar Bar;
    explicit TsceneSkin(const TsceneContext& ctx) {
        FillSkinFonts(Fonts, ctx);
        FillTreeImages(Images);
        Bar.SetSkinBitmap(ctx.SkinImage("ScrollBarVertical"));
        Bar.ApplySkinColors(ctx.ButtonColor, ctx.PanelColor, ctx.CheckedFontColor, ctx.FontColor);
        Bar.SetupFinished();
        SetFormSkinColors({ctx.ButtonColor, ctx.PanelColor, ctx.FontColor});
        Keyboard().SetKeySize(60);
        SkinKeyboard(Keyboard(), ctx.ButtonColor, ctx.PanelColor, ctx.FontColor);
        GlobalPrefs().SetFontContainer(&Fonts);
        GlobalPrefs().SetImageList(&Images);
        GlobalPrefs().SetSkinScrollBar(&Bar);
    }
    ~TsceneSkin() {
        GlobalPrefs().SetFontContainer(nullptr);
        GlobalPrefs().SetImageList(nullptr);
        GlobalPrefs().SetSkinScrollBar(nullptr);
    }
};

void DressButtons(QWidget& form, const TsceneContext& ctx) {
    const TmySkinButton* key = SkinTemplateButton();
    for (QObject* component : OwnedComponents(&form)) {
        auto* b = dynamic_cast<TmySkinButton*>(component);
        if (!b) continue;
        b->BeginUpdate();
        if (key) {
            b->SetSkinBitmap(key->SkinBitmap());
            b->AssignSkin(*key, false);
        }
        b->SetFontColor(ctx.FontColor);
        b->EndUpdate();
    }
    for (QObject* component : OwnedComponents(&form)) {
        auto* panel = dynamic_cast<TmySkinPanel*>(component);
        if (!panel) continue;
        panel->SetSkinBitmap(ctx.SkinImage("Panel"));
        panel->ApplySkinColors(ctx.ButtonColor, ctx.PanelColor, ctx.CheckedFontColor, ctx.FontColor);
    }
}

QImage RenderEditor(const TsceneContext&) {
    TdemoLibrary demo;
    QImage image;
    {
        TfrmNewPlaylistEditor editor;
        editor.SetJukebox(&demo.Jukebox());
        editor.resize(1280, 800);
        editor.RefreshPlaylistCollection();
        editor.RefreshStackerList();
        editor.show();  // showing rebuilds the tree
        QCoreApplication::processEvents();
        editor.ChoosePlaylist(0);
        editor.lbPlaylists->setCurrentRow(0);
        QTreeWidgetItem* album = nullptr;
        for (QTreeWidgetItemIterator it(editor.tvJukebox); *it; ++it)
            if (auto* list = dynamic_cast<TaudioTagList*>(TcustomJukeboxListViewer::ItemData(*it));
                list && list->Title() == "Midnight Tones" && !album)
                album = *it;
        if (album) {
            for (QTreeWidgetItem* up = album->parent(); up; up = up->parent()) up->setExpanded(true);
            editor.tvJukebox->setCurrentItem(album);
        }
        editor.lbPlaylist->setCurrentRow(2);
        image = GrabWidget(editor);
    }
    return image;
}

QImage RenderStacker(const TsceneContext& ctx) {
    TdemoLibrary demo;
    TsceneSkin skin(ctx);
    QImage image;
    {
        TfrmStackerList stacker;
        stacker.SetJukebox(&demo.Jukebox());
        stacker.SetSkin(&skin.Fonts);
        stacker.SetScrollBarSkin(&skin.Bar);
        stacker.SetTreeImages(&skin.Images);
        stacker.SetListColor(DarkenColor(ctx.PanelColor, 40));
        stacker.SetShowLoadCartridge([] {});
        stacker.SetShowSaveCartridge([] {});
        DressButtons(stacker, ctx);
        stacker.resize(1280, 800);
        stacker.show();  // showing builds the tree
        QCoreApplication::processEvents();
        SelectNode(*stacker.tvLibrary, "Salt and Signal");
        stacker.lbStacker->SetItemIndex(1);
        image = GrabWidget(stacker);
    }
    return image;
}

QImage RenderChooseCD(const TsceneContext& ctx) {
    TdemoLibrary demo;
    TsceneSkin skin(ctx);
    QImage image;
    {
        TfrmChooseCD window;
        window.SetJukebox(&demo.Jukebox(), false);
        window.SetListColor(DarkenColor(ctx.PanelColor, 40));
        window.ApplyPreferences();
        DressButtons(window, ctx);
        window.resize(800, 640);
        window.show();  // showing builds the tree
        QCoreApplication::processEvents();
        SelectNode(*window.tvAlbums, "Square Dance");
        image = GrabWidget(window);
    }
    return image;
}

QImage RenderDisplay(const TsceneContext&) {
    TdemoLibrary demo;
    QImage image;
    {
        TfrmPlaylist display;
        display.ShowPlaylist(&demo.Jukebox());
        display.resize(460, 520);
        image = GrabWidget(display);
    }
    return image;
}

TsceneRegistrar editorScene({"library", "playlist_editor", "Playlist editor, building a playlist",
                             RenderEditor});
TsceneRegistrar stackerScene({"library", "stacker", "Stacker window with three cartridges", RenderStacker});
TsceneRegistrar chooseScene({"library", "choose_cd", "Choose CD, an album chosen", RenderChooseCD});
TsceneRegistrar displayScene({"library", "playlist_display", "Playlist display of the activated playlist",
                              RenderDisplay});

}  // namespace

}  // namespace tunecrest
