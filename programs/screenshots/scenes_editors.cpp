// Scenes of the editors and settings windows: alarms, button slots, the filter and
// query-rule editor, the skin editor, the preferences pages and the screen saver with a
// cover and as a slide show.
#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QLinearGradient>
#include <QPainter>
#include <QTabWidget>
#include <QTreeWidget>
#include <array>
#include <filesystem>

#include "core/base/date_time.h"
#include "core/jukebox/jukebox_slots.h"
#include "core/database/query_rules.h"
#include "core/base/services.h"
#include "core/tags/tag_list_rules.h"
#include "core/jukebox/timer_alarms.h"
#include "mainwindow/skin/skin_font_stores.h"
#include "scenes.h"
#include "skin/color_panels.h"
#include "skin/skin_forms.h"
#include "windows/editors/alarm_editor.h"
#include "windows/editors/rule_editor.h"
#include "windows/editors/skin_editor.h"
#include "windows/editors/slot_editors.h"
#include "windows/settings/preferences_dialog.h"
#include "windows/settings/screen_saver.h"

namespace tunecrest {

namespace {

namespace fs = std::filesystem;

void UseColors(const TsceneContext& ctx) { SetFormSkinColors({ctx.ButtonColor, ctx.PanelColor, ctx.FontColor}); }

QImage RenderAlarms(const TsceneContext& ctx)
{
    UseColors(ctx);
    TfrmAlarmSettings2 form;
    TonOffTimerAlarmList& alarms = form.Working();
    const struct {
        int On, Off, Days;
        bool UseOff;
    } rows[] = {{18, 2, 0x3E, true}, {11, 0, 0x41, false}, {20, 23, 0x20, true}};
    for (const auto& r : rows) {
        TonOffTimerAlarm* a = alarms.AddNew();
        a->SetStartTime(EncodeTime(r.On, 30, 0, 0));
        a->SetFinishTime(EncodeTime(r.Off, 0, 0, 0));
        a->SetDays(r.Days);
        a->SetOffEventEnabled(r.UseOff);
    }
    form.RefreshListView();
    form.ListView1->setCurrentItem(form.ListView1->topLevelItem(0));
    form.cbAlarmList->setChecked(true);
    return GrabWidget(form);
}

QImage RenderSlotList(const TsceneContext& ctx)
{
    UseColors(ctx);
    TjukeboxSlotList slotList;
    for (const char* text : {"Playlist:Friday Night", "Activate Playlist:Happy Hour", "Random Play Filter:Eighties",
                             "Play URL:City Radio", "Unassigned:"})
        slotList.Add(TjukeboxSlot::CreateFromText(text));
    TfrmEditJukeboxSlots form(slotList);
    form.lvMain->setCurrentItem(form.lvMain->topLevelItem(1));
    return GrabWidget(form);
}

QImage RenderSlot(const TsceneContext& ctx, bool buttons)
{
    UseColors(ctx);
    TjukeboxSlot slot;
    slot.FromText("Activate Playlist:Happy Hour");
    TfrmEditJukeboxSlot form(slot, nullptr, buttons);
    form.resize(520, 220);
    return GrabWidget(form);
}

QImage RenderRules(const TsceneContext& ctx, bool queries)
{
    UseColors(ctx);
    TtagListRules filter;
    filter.UseGenres = true;
    for (const char* g : {"Disco", "Funk", "Pop", "Soul"}) filter.Genres.Add(g);
    filter.UseYear = true;
    filter.FromYear = 1975;
    filter.ToYear = 1989;
    filter.UseArtists = true;
    filter.NotArtist = true;
    filter.Artists.Add("The Loud Ones");
    TtagListRulesCollection sets;
    for (const char* name : {"Seventies Dance", "Eighties", "Quiet Evening"}) {
        auto set = std::make_unique<TtagListRules>();
        set->Name = name;
        sets.Add(std::move(set));
    }
    TdbRulesList rules;
    rules.Add("Long Tracks")->SetText("Duration > 420\nGenre = 'Jazz'");
    rules.Add("Requests")->SetText("Artist LIKE 'A%'");
    TfrmTagListRules form(filter, nullptr, 1, &sets, &rules, queries ? "Long Tracks" : "");
    if (queries) {
        form.pcPages->setTabVisible(1, true);
        form.pcPages->setCurrentIndex(1);
        form.QueryChosenShowOnly();
    }
    return GrabWidget(form);
}

// The skin editor over the window's default stores.
class TsceneSkinHost : public TskinEditorHost {
public:
    TsceneSkinHost(const TsceneContext& ctx) : Fctx(ctx)
    {
        for (int i = 0; i < fsCount; ++i) Fstores[size_t(i)] = DefaultFontStore(TfontStoreIndex(i));
    }
    std::vector<TfontContainer*> FontStores() override
    {
        std::vector<TfontContainer*> s;
        for (auto& store : Fstores) s.push_back(&store);
        return s;
    }
    TColor ButtonColor() const override { return Fctx.ButtonColor; }
    TColor PanelColor() const override { return Fctx.PanelColor; }
    TColor DefaultButtonColor() const override { return Fctx.ButtonColor; }
    TColor DefaultPanelColor() const override { return Fctx.PanelColor; }
    std::string SkinsFolder() const override { return Fctx.SkinFolder.parent_path().string(); }
    void SetSkinFile(const std::string&, std::function<void(bool)> done) override { done(true); }
    bool ExportSkin(const std::string&, std::string*) override { return false; }
    void ApplyListAppearance() override {}
    void ApplyColors(TColor, TColor) override {}

private:
    const TsceneContext& Fctx;
    std::array<TfontContainer, fsCount> Fstores;
};

QImage RenderSkinEditor(const TsceneContext& ctx, bool skinsPage)
{
    UseColors(ctx);
    TsceneSkinHost host(ctx);
    TfrmJukeboxSkin form(host);
    form.SelectItem(0, true, 4);
    if (skinsPage) {
        form.pcSkin->setCurrentIndex(1);
        form.lbSkins->setCurrentRow(0);
    }
    return GrabWidget(form);
}

QImage RenderPreferences(const TsceneContext& ctx, const char* page)
{
    UseColors(ctx);
    TprefsRec rec;
    rec.CoverArtFolder = "/srv/jukebox/covers/";
    rec.ScreenSaverEnabled = true;
    rec.ScreenSaverTimeout = 10;
    rec.CoverArtSize = 600;
    rec.UseRandomImages = true;
    rec.RandomImagesFolder = "/srv/jukebox/pictures/";
    rec.ShowClock = true;
    rec.ConfirmExit = true;
    rec.HideBackButtonGroup = true;
    TfrmPreferences form(rec, page);
    return GrabWidget(form);
}

QImage Cover()
{
    QImage cover(600, 600, QImage::Format_RGB32);
    QPainter p(&cover);
    QLinearGradient g(0, 0, 600, 600);
    g.setColorAt(0, QColor(200, 60, 40));
    g.setColorAt(1, QColor(40, 20, 90));
    p.fillRect(cover.rect(), g);
    p.setPen(QPen(QColor(255, 220, 120), 14));
    p.drawEllipse(QPoint(300, 300), 200, 200);
    p.drawEllipse(QPoint(300, 300), 40, 40);
    return cover;
}

QImage RenderSaver(const TsceneContext& ctx, bool slides)
{
    (void)ctx;
    SetClock([] { return EncodeDate(2026, 12, 9) + EncodeTime(21, 45, 0, 0); });
    TfrmScreenSaver saver;
    saver.SetFontContainer(&DefaultScreenSaverFonts());
    saver.resize(1280, 800);
    saver.SetShowClock(true);
    const fs::path folder = fs::temp_directory_path() / "tunecrest-scene-slides";
    if (slides) {
        fs::create_directories(folder);
        Cover().save(QString::fromStdString((folder / "one.jpg").string()), "JPG");
        saver.RandomImagesFolder = folder.string();
        saver.SetSlideShow(true);
    }
    auto track = std::make_shared<TaudioTag>();
    track->SetArtist("The Midnight Lanterns");
    track->SetTitle("Last Call <Live>");
    track->SetAlbum("Neon & Rain");
    track->SetTrackNo(4);
    track->SetMediaType(1);
    saver.UpdateTrackDisplay(track, "", 1, "");
    if (!slides) saver.pnlImage->SetImage(Cover());
    QImage image = GrabWidget(saver);
    SetClock({});
    if (slides) fs::remove_all(folder);
    return image;
}

TsceneRegistrar alarms({"editors", "alarms", "Alarm Clock Settings", RenderAlarms});
TsceneRegistrar slotList({"editors", "slot_list", "Slot Allocations", RenderSlotList});
TsceneRegistrar slotEdit({"editors", "slot_edit", "Edit Slot",
                          [](const TsceneContext& ctx) { return RenderSlot(ctx, false); }});
TsceneRegistrar buttonEdit({"editors", "button_edit", "Edit Button (button wording)",
                            [](const TsceneContext& ctx) { return RenderSlot(ctx, true); }});
TsceneRegistrar rules({"editors", "rules_filters", "Random Play Filters: filter page",
                       [](const TsceneContext& ctx) { return RenderRules(ctx, false); }});
TsceneRegistrar queries({"editors", "rules_queries", "Random Play Filters: query rules page",
                         [](const TsceneContext& ctx) { return RenderRules(ctx, true); }});
TsceneRegistrar skinFonts({"editors", "skin_fonts", "Skins: colours and fonts",
                           [](const TsceneContext& ctx) { return RenderSkinEditor(ctx, false); }});
TsceneRegistrar skinList({"editors", "skin_list", "Skins: available skins and export",
                          [](const TsceneContext& ctx) { return RenderSkinEditor(ctx, true); }});
TsceneRegistrar prefsGeneral({"editors", "preferences_general", "Preferences: general page",
                              [](const TsceneContext& ctx) { return RenderPreferences(ctx, "General"); }});
TsceneRegistrar prefsSaver({"editors", "preferences_screensaver", "Preferences: screen saver page",
                            [](const TsceneContext& ctx) { return RenderPreferences(ctx, "ScreenSaver"); }});
TsceneRegistrar saverCover({"editors", "saver_cover", "Screen saver: cover art with the track",
                            [](const TsceneContext& ctx) { return RenderSaver(ctx, false); }});
TsceneRegistrar saverSlides({"editors", "saver_slides", "Screen saver: slide show",
                             [](const TsceneContext& ctx) { return RenderSaver(ctx, true); }});

}  // namespace

}  // namespace tunecrest
