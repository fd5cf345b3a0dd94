#include "core/jukebox/global_prefs.h"

#include "core/base/ini_file.h"

namespace tunecrest {

namespace {
TglobalPrefs::TbitmapCounter& BitmapCounter() {
    static TglobalPrefs::TbitmapCounter counter;
    return counter;
}
}  // namespace

void TglobalPrefs::EndUpdate() {
    if (FupdateCount > 0) --FupdateCount;
    if (FupdateCount == 0) Changed();
}

void TglobalPrefs::Changed() {
    if (FupdateCount > 0) return;
    if (OnChange) OnChange(this);
    const auto listeners = Flisteners;  // a listener may remove itself
    for (const auto& l : listeners)
        if (l.Handler) l.Handler(this);
}

void TglobalPrefs::AddChangeListener(const void* owner, TNotifyEvent handler) {
    Flisteners.push_back({owner, std::move(handler)});
}

void TglobalPrefs::RemoveChangeListener(const void* owner) {
    std::erase_if(Flisteners, [owner](const Tlistener& l) { return l.Owner == owner; });
}

void TglobalPrefs::SetSingleClickMultiSelect(bool value) { SetAndNotify(FsingleClickMultiSelect, value); }
void TglobalPrefs::SetKeySize(int value) { SetAndNotify(FkeySize, value); }
void TglobalPrefs::SetOnScreenKeyboardsEnabled(bool value) { SetAndNotify(FonScreenKeyboardsEnabled, value); }
void TglobalPrefs::SetBitmapContainer(TbitmapContainer* value) { SetAndNotify(FbitmapContainer, value); }
void TglobalPrefs::SetFontContainer(TfontContainer* value) { SetAndNotify(FfontContainer, value); }
void TglobalPrefs::SetSkinScrollBar(TmySkinScrollBar* value) { SetAndNotify(FskinScrollBar, value); }
void TglobalPrefs::SetImageList(TimageList* value) { SetAndNotify(FimageList, value); }
void TglobalPrefs::SetSkinButton(TmySkinButton* value) { SetAndNotify(FskinButton, value); }
void TglobalPrefs::SetBitmap(std::shared_ptr<TBitmap> value) { SetAndNotify(Fbitmap, std::move(value)); }

bool TglobalPrefs::HasBitmap(int index) const {
    if (!FbitmapContainer || index < 0 || !BitmapCounter()) return false;
    return index < BitmapCounter()(*FbitmapContainer);
}

void TglobalPrefs::SetBitmapCounter(TbitmapCounter counter) { BitmapCounter() = std::move(counter); }

void TglobalPrefs::LoadFromIni(const TiniFile& ini) {
    BeginUpdate();
    FsingleClickMultiSelect = ini.ReadBool("Preferences", "SingleClickMultiSelect", false);
    FsingleClickMultiSelectDelay = ini.ReadIntegerWithin("Preferences", "SingleClickMultiSelectDelay", 500, 0, 10000);
    FkeySize = ini.ReadIntegerWithin("OnScreenKeyboards", "KeySize", 60, 10, 100);
    FonScreenKeyboardsEnabled = ini.ReadBool("OnScreenKeyboards", "Enabled", true);
    EndUpdate();
}

void TglobalPrefs::SaveToIni(TiniFile& ini) const {
    ini.WriteBool("Preferences", "SingleClickMultiSelect", FsingleClickMultiSelect);
    ini.WriteInteger("Preferences", "SingleClickMultiSelectDelay", FsingleClickMultiSelectDelay);
    ini.WriteInteger("OnScreenKeyboards", "KeySize", FkeySize);
    ini.WriteBool("OnScreenKeyboards", "Enabled", FonScreenKeyboardsEnabled);
}

TglobalPrefs& GlobalPrefs() {
    static TglobalPrefs prefs;
    return prefs;
}

}  // namespace tunecrest
