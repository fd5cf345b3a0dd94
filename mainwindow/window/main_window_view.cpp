// The main window's volume and position bars, its layout view options, the main menu bar
// and the popup menus of the window, the track list and the queue.
#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <map>

#include "core/display/color_text.h"
#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/layout/main_layout.h"
#include "mainwindow/layout/player_bars.h"
#include "skin/qt_color.h"
#include "skin/skin_button.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {

constexpr const char* kActionProperty = "actionName";

// The bar's text size for a menu of `height`: it grows with the height (a taller menu is
// set for a bigger screen or farther eyes), from 15 pixels at the least height.
int MenuBarFont(int height) { return std::clamp(height / 3, 15, 28); }

// The style of the bar and the menus; `barFont` and `barSide` (pixels of padding left and
// right of a bar item) are what a narrow window steps down so that every title fits.
QString MenuStyle(TColor panel, TColor text, int height, int barFont, int barSide) {
    const QColor back = ToQColor(panel);
    // The text must stand out from the panel: black or white where the scheme's text
    // colour (chosen for the buttons) would not.
    auto luma = [](const QColor& c) { return (299 * c.red() + 587 * c.green() + 114 * c.blue()) / 1000; };
    QColor fore = ToQColor(text);
    if (std::abs(luma(fore) - luma(back)) < 110) fore = luma(back) > 128 ? QColor(Qt::black) : QColor(Qt::white);
    const QColor hot = back.lightness() < 128 ? back.lighter(160) : back.darker(130);
    const int itemFont = std::clamp(height * 3 / 8, 18, 30);
    // The height comes from the padding around one line of text (a bar item does not
    // take a minimum height from the style).
    auto padding = [height](int pixels, bool bold) {
        QFont font = QApplication::font();
        font.setPixelSize(pixels);
        font.setBold(bold);
        return std::max(2, (height - QFontMetrics(font).height() + 1) / 2);
    };
    const int barPad = padding(barFont, true), itemPad = padding(itemFont, false);
    return QStringLiteral(
               "QMenuBar { background: %1; color: %2; font-size: %6px; font-weight: bold; }"
               "QMenuBar::item { padding: %7px %10px; background: transparent; }"
               "QMenuBar::item:selected, QMenuBar::item:pressed { background: %3; }"
               "QMenu { background: %1; color: %2; font-size: %8px; border: 2px solid %3; }"
               "QMenu::item { padding: %9px 40px %9px 40px; min-height: %4px; }"
               "QMenu::item:selected { background: %3; }"
               "QMenu::item:disabled { color: %5; }"
               "QMenu::separator { height: 8px; }")
        .arg(back.name(), fore.name(), hot.name())
        .arg(height - 2 * itemPad)
        .arg(QColor((fore.red() + back.red()) / 2, (fore.green() + back.green()) / 2, (fore.blue() + back.blue()) / 2)
                 .name())
        .arg(barFont)
        .arg(barPad)
        .arg(itemFont)
        .arg(itemPad)
        .arg(barSide);
}

// The width the bar's titles take in `font` pixels (bold) with `side` pixels of padding
// on each side of each title, and a few pixels for the style's spacing.
int MenuBarWidth(const QMenuBar& bar, int font, int side) {
    QFont bold = QApplication::font();
    bold.setPixelSize(font);
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    int width = 8;
    for (QAction* a : bar.actions()) {
        if (!a->isVisible()) continue;
        QString title = a->text();
        title.replace(QLatin1String("&&"), QString(QChar(1))).remove('&').replace(QChar(1), '&');
        width += metrics.horizontalAdvance(title) + 2 * side + 4;
    }
    return width;
}

// Menus inside a menu of the bar: groups of its actions, so that no menu is taller than
// the screen. Each stands where its first action would, its actions in table order.
struct TsubMenu {
    const char* Category;
    const char* Title;
    const char* ObjectName;
    std::vector<std::string> Names;
};

const std::vector<TsubMenu>& SubMenus() {
    static const std::vector<TsubMenu> menus = {
        {"View", "Layout", "mnuViewLayout", LayoutViewActionNames()},
        {"View",
         "Browse Tree",
         "mnuViewBrowseTree",
         {"actnViewJukeboxArtists", "actnViewJukeboxTracks", "actnViewJukeboxAlbums", "actnViewJukeboxPlaylists",
          "actnViewJukeboxCompilations", "actnViewJukeboxNotTagged", "actnViewJukeboxGenres", "actnViewJukeboxVideos"}},
        {"Queue", "Move", "mnuQueueMove", {"actnQueueMoveTop", "actnQueueMoveUp", "actnQueueMoveDown"}},
        {"Queue", "Queue Options", "mnuQueueOptions", {"actnQueueLoop", "actnQueueNoDuplicates", "actnQueueKeepTrackCount"}},
        {"Queue", "Double-Click", "mnuQueueDoubleClick", {"actnQueueDCNone", "actnQueueDCMoveToTop", "actnQueueDCPlayNow"}},
        {"Settings", "Play Mode", "mnuSettingsPlayMode", {"actnSettingsPMQueue", "actnSettingsPMInstantPlay"}},
        {"Settings",
         "Options",
         "mnuSettingsOptions",
         {"actnSettingsMenuByPassword", "actnSettingsAutoPlay", "actnSettingsRestoreTrack", "actnSettingsScrollSongTitle",
          "actnSettingsShowTimeRemaining", "actnSettingsAlwaysOnTop", "actnSettingsShowHints",
          "actnSettingsShowMessages"}},
    };
    return menus;
}

// The caption without its accelerator marks ("&&" stays one "&").
QString MenuCaption(const std::string& caption) { return QString::fromStdString(caption); }

}  // namespace

void TfrmBaseJukebox::AddActionItem(QMenu& menu, const std::string& name) {
    Taction* a = Factions->Find(name);
    if (!a) return;
    QAction* item = menu.addAction(MenuCaption(a->Caption));
    item->setProperty(kActionProperty, QString::fromStdString(name));
    QObject::connect(item, &QAction::triggered, this, [this, name] {
        if (Flayout && Flayout->RunAction) Flayout->RunAction(name);
    });
}

QMenu* TfrmBaseJukebox::BuildActionMenu(QWidget* parent, const std::vector<std::string>& names) {
    auto* menu = new QMenu(parent);
    for (const std::string& name : names) AddActionItem(*menu, name);
    QObject::connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        UpdateCheckMarks();
        SyncMenu(*menu, *Factions);
    });
    return menu;
}

void TfrmBaseJukebox::SyncMenu(QMenu& menu, TactionList& actions) {
    for (QAction* item : menu.actions()) {
        const QString name = item->property(kActionProperty).toString();
        if (name.isEmpty()) continue;
        const Taction* a = actions.Find(name.toStdString());
        if (!a) continue;
        item->setText(MenuCaption(a->Caption));
        item->setVisible(a->Visible);
        item->setEnabled(a->Enabled);
        const bool checkable = a->AutoCheck || a->Checked;
        item->setCheckable(checkable || item->isCheckable());
        item->setChecked(a->Checked);
    }
}

void TfrmBaseJukebox::BuildBarsAndMenus() {
    // The bars: the player's time onto the timer and the position bar; the volume bars
    // set the volume through the party-play guards.
    Fbars = std::make_unique<TplayerBars>(*Fguards, *Flayout->Timer, *Flayout->PositionBar);
    Fbars->AddVolumeBar(*Flayout->VolumeBar);
    Fbars->AddVolumeBar(*Flayout->VolumePopupBar);
    Fbars->ShowVolume(PlayerVolume());
    Fcontroller.OnTime = [this](uint32_t position, uint32_t length) { PlayerTimeChanged(position, length); };
    Fguards->OnActionStatesUpdated = [this](bool party) { ViewStatesUpdated(party); };
    auto bind = [this](const char* name, std::function<void(Taction&)> handler) {
        if (Taction* a = Factions->Find(name); a && !a->OnExecute) a->OnExecute = std::move(handler);
    };
    bind("actnSettingsShowTimeRemaining", [this](Taction& a) {
        a.Checked = !a.Checked;
        Fsettings.ShowTimeRemaining = a.Checked;
    });
    bind("actnSettingsMenuByPassword", [this](Taction& a) {
        a.Checked = !a.Checked;
        Fsettings.MainMenuPasswordProtected = a.Checked;
        Fguards->MenuByPassword = a.Checked;
        Fguards->UpdateActionStates();
    });
    bind("actnViewOptions", [this](Taction&) { ShowViewOptions(); });
    // The volume actions move the bars with the player.
    for (const char* name : {"actnControlRaiseVolume", "actnControlLowerVolume"})
        if (Taction* a = Factions->Find(name); a && a->OnExecute)
            a->OnExecute = [this, previous = a->OnExecute](Taction& sender) {
                previous(sender);
                Fbars->ShowVolume(PlayerVolume());
            };

    // The main menu bar: one menu per category, in the order of the action table.
    FmenuBar = new QMenuBar(this);
    FmenuBar->setObjectName("mmMain");
    FmenuBar->setNativeMenuBar(false);
    std::vector<std::string> categories;
    std::map<std::string, std::vector<std::string>> byCategory;
    for (int i = 0; i < Factions->Count(); ++i) {
        const Taction& a = (*Factions)[i];
        if (a.Category.empty()) continue;
        if (!byCategory.count(a.Category)) categories.push_back(a.Category);
        std::vector<std::string>& items = byCategory[a.Category];
        // "Queue" is the queue menu itself, not an item in it.
        if (a.Name == "actnQueue") continue;
        // A twin (the shortcut or message road of an action already in the menu, with the
        // same caption) is not a second item.
        if (std::any_of(items.begin(), items.end(),
                        [&](const std::string& name) { return Factions->Get(name).Caption == a.Caption; }))
            continue;
        items.push_back(a.Name);
    }
    FpopupMain = new QMenu(this);
    FpopupMain->setObjectName("pmMain");
    // The long menus keep families of their actions in menus of their own (the layout's
    // view options, the browse tree's branches, the queue's moves and options, ...), so
    // that every menu fits the screen with its items a finger high.
    const std::vector<TsubMenu>& subMenus = SubMenus();
    auto subMenuOf = [&](const std::string& category, const std::string& name) -> const TsubMenu* {
        for (const TsubMenu& sub : subMenus)
            if (sub.Category == category && std::find(sub.Names.begin(), sub.Names.end(), name) != sub.Names.end())
                return &sub;
        return nullptr;
    };
    auto addCategory = [&](QWidget* parent, const std::string& category) {
        QMenu* menu = BuildActionMenu(parent, {});
        menu->setTitle(QString::fromStdString(category));
        // A group goes in where its first action stands, its actions in table order.
        std::map<const TsubMenu*, QMenu*> groups;
        for (const std::string& name : byCategory[category]) {
            const TsubMenu* sub = subMenuOf(category, name);
            if (!sub) {
                AddActionItem(*menu, name);
                continue;
            }
            QMenu*& inner = groups[sub];
            if (!inner) {
                inner = BuildActionMenu(menu, {});
                inner->setTitle(QString::fromUtf8(sub->Title));
                inner->setObjectName(sub->ObjectName);
                menu->addMenu(inner);
            }
            AddActionItem(*inner, name);
        }
        return menu;
    };
    for (const std::string& category : categories) {
        FmenuBar->addMenu(addCategory(FmenuBar, category));
        FpopupMain->addMenu(addCategory(FpopupMain, category));
    }
    FmenuBar->setVisible(false);
    if (auto* outer = qobject_cast<QVBoxLayout*>(layout())) outer->setMenuBar(FmenuBar);

    // The popups of the track list and the queue.
    FpopupTracks = BuildActionMenu(this, {"actnQueueAddSelected", "actnQueueAddAll", "actnQueueAlbum"});
    FpopupTracks->setObjectName("pmTrackList");
    FpopupQueue = BuildActionMenu(this, {"actnQueueMoveTop", "actnQueueMoveUp", "actnQueueMoveDown",
                                         "actnQueueDelete", "actnQueueClear", "actnQueueRandomize",
                                         "actnQueueLoop"});
    FpopupQueue->setObjectName("pmQueue");
    setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (FmainPopupOn) FpopupMain->popup(mapToGlobal(at));
    });
    for (auto [list, menu] : {std::pair<QWidget*, QMenu*>{Flayout->TrackList, FpopupTracks},
                              std::pair<QWidget*, QMenu*>{Flayout->QueueList, FpopupQueue}}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(list, &QWidget::customContextMenuRequested, this, [this, list, menu](const QPoint& at) {
            if (FlistPopupsOn) menu->popup(list->mapToGlobal(at));
        });
    }
    Flayout->MenuButton->OnClick = [this](TObject*) { MenuButtonClicked(); };
    ApplyMenuColors(RGBColor(30, 34, 40), clWhite);
    ApplyViewOptions();
}

void TfrmBaseJukebox::MenuButtonClicked() {
    if (!Flayout) return;
    if (PartyPlayEnabled()) {
        Flayout->RunAction("actnPartyPlayEnabled");
        return;
    }
    if (!FmainPopupOn) {
        Flayout->RunAction("actnViewMainMenu");
        return;
    }
    // Above the button, inside the screen: the button row is at the bottom.
    TmySkinButton* button = Flayout->MenuButton;
    const QSize size = FpopupMain->sizeHint();
    FpopupMain->popup(button->mapToGlobal(QPoint(0, -size.height())));
}

void TfrmBaseJukebox::ApplyMenuColors(TColor panel, TColor text) {
    FmenuPanelColor = panel;
    FmenuTextColor = text;
    if (!FmenuBar) return;
    FmenuBarFit = {};
    FitMenuBar();
}

void TfrmBaseJukebox::FitMenuBar() {
    if (!FmenuBar) return;
    // Every title on the bar, none behind its small extension button: a window too narrow
    // for them takes the padding in, then the text down, as far as needed (to 12 pixels).
    const int height = MenuBarHeight(), room = width();
    int font = MenuBarFont(height), side = 8;
    if (MenuBarWidth(*FmenuBar, font, side) > room) side = 4;
    while (font > 12 && MenuBarWidth(*FmenuBar, font, side) > room) --font;
    if (FmenuBarFit == std::pair{font, side}) return;
    FmenuBarFit = {font, side};
    const QString style = MenuStyle(ColorToRGB(FmenuPanelColor), ColorToRGB(FmenuTextColor), height, font, side);
    FmenuBar->setStyleSheet(style);
    for (QMenu* m : {FpopupMain, FpopupTracks, FpopupQueue}) m->setStyleSheet(style);
}

void TfrmBaseJukebox::PlayerTimeChanged(uint32_t position, uint32_t length) {
    if (!Fbars || Closing()) return;
    const TaudioTagPtr& track = Fcontroller.CurrentTrack();
    const Taction* remaining = Factions->Find("actnSettingsShowTimeRemaining");
    Fbars->TimeChanged(position, length, track, remaining && remaining->Checked, track && track->MediaType() == 2);
}

void TfrmBaseJukebox::ApplyViewOptions() {
    if (!Flayout) return;
    Flayout->ApplyViewOptions(FviewOptions);
    ApplyButtonVisibility();
    if (Fbars) Fbars->ShowVolume(PlayerVolume());
    RefreshStackerTitle();
    UpdateLayoutCheckMarks();
    Flayout->ArrangeLayout();
}

void TfrmBaseJukebox::ViewStatesUpdated(bool party) {
    FviewParty.Update(party, FpartyPlay, FviewOptions);
    if (Flayout) Flayout->MenuButton->SetCaption(party ? "Party Play" : "Menu");
    // The queue's buttons follow their actions (hidden by the queue settings of party play).
    ShowQueueButtons();
    // The credits show only in credit mode.
    ShowCredits(Fguards->Credits());
    ApplyViewOptions();
}

void TfrmBaseJukebox::ReadViewOptions(const TiniFile& ini) {
    FviewOptions.Read(ini);
    if (Taction* a = Factions->Find("actnSettingsShowTimeRemaining")) a->Checked = Fsettings.ShowTimeRemaining;
    if (Taction* a = Factions->Find("actnSettingsMenuByPassword")) a->Checked = Fsettings.MainMenuPasswordProtected;
    Fguards->MenuByPassword = Fsettings.MainMenuPasswordProtected;
    // The stored menu state comes back without a password: the person left it so. A
    // menu behind the password stays hidden until someone gives it.
    if (!PartyPlayEnabled()) {
        const bool shown = Fsettings.MainMenuVisible && !Fsettings.MainMenuPasswordProtected;
        SetMainMenuVisible(shown);
        Factions->Get("actnViewMainMenu").Checked = shown;
    }
    ApplyViewOptions();
}

void TfrmBaseJukebox::WriteViewOptions(TiniFile& ini) {
    // Under party play the options the person chose are stored, not the party's.
    TlayoutViewOptions stored = FviewOptions;
    TviewOptionsPartyPlay copy = FviewParty;
    copy.Update(false, FpartyPlay, stored);
    stored.Write(ini);
}

bool TfrmBaseJukebox::IsMainMenuVisible() const { return FmenuBar && !FmenuBar->isHidden(); }

void TfrmBaseJukebox::SetMainMenuVisible(bool visible) {
    if (!FmenuBar) return;
    FmenuBar->setVisible(visible);
    if (!PartyPlayEnabled()) Fsettings.MainMenuVisible = visible;
    // The pointer hides with the menu when the settings say so.
    if (Fsettings.HideCursorWithMenu && !visible) setCursor(Qt::BlankCursor);
    else unsetCursor();
}

void TfrmBaseJukebox::SetMainPopupMenu(bool on) { FmainPopupOn = on; }

void TfrmBaseJukebox::SetListPopupsAuto(bool on) { FlistPopupsOn = on; }

void TfrmBaseJukebox::ShowViewOptions() {
    if (!Flayout) return;
    TtreeViewDisplayMode modes = TtreeViewDisplayMode(FbrowseNodes);
    int yearMode = Flist ? int(Flist->YearList().Mode) : 0;
    const int oldYearMode = yearMode;
    int across = Flayout->CoverAcross, down = Flayout->CoverDown;
    if (!Fdialogs->EditViewSettings(&modes, &Flayout->TrackListDisplay, &Flayout->QueueListDisplay, yearMode,
                                    &Flayout->FormatStrings, across, down))
        return;
    Flayout->Browse().ClearTree();
    if (Flist && yearMode != oldYearMode) {
        Flist->YearList().Mode = TaudioTagYearMode(yearMode);
        Flist->ReprocessYears();
    }
    FbrowseNodes = uint32_t(modes);
    if (!PartyPlayEnabled()) Fsettings.ViewJukeboxList = int(modes);
    Fsettings.CoverArtMatrixHorizontal = Flayout->CoverAcross = ClampCoverMatrixCount(across);
    Fsettings.CoverArtMatrixVertical = Flayout->CoverDown = ClampCoverMatrixCount(down);
    ApplyBrowseMode();
    // The track numbers of the lists are the view's one switch.
    Fsettings.TrackNumbers = Flayout->TrackListDisplay.DisplayTrackNumbers();
    Flayout->Lists().RefreshTracks();
    QueueChanged();
    UpdateCheckMarks();
    FsettingsStore->MarkChanged();
}

}  // namespace tunecrest
