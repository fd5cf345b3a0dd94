#pragma once
// The program-wide preferences: on-screen keyboard on/off and key size, single-touch
// multi-select and its delay, and the shared skin resources that dialogs, the keyboard
// and the pad read. Listeners hear about every change. One instance: GlobalPrefs().
#include <functional>
#include <memory>
#include <vector>

#include "core/base/event_lists.h"

namespace tunecrest {

class TiniFile;
// Skin resources, built by the skin library; core only holds references to them.
class TbitmapContainer;
class TfontContainer;
class TmySkinScrollBar;
class TmySkinButton;
class TimageList;
class TBitmap;

class TglobalPrefs : public TObject {
public:
    TNotifyEvent OnChange;

    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    // Unless updating: raises OnChange, then every listener in order.
    void Changed();

    // Adds a listener that belongs to `owner`; RemoveChangeListener(owner) removes every
    // listener of that owner.
    void AddChangeListener(const void* owner, TNotifyEvent handler);
    void RemoveChangeListener(const void* owner);
    int ListenerCount() const { return int(Flisteners.size()); }

    bool SingleClickMultiSelect() const { return FsingleClickMultiSelect; }
    void SetSingleClickMultiSelect(bool value);
    int SingleClickMultiSelectDelay() const { return FsingleClickMultiSelectDelay; }
    void SetSingleClickMultiSelectDelay(int value) { FsingleClickMultiSelectDelay = value; }
    int KeySize() const { return FkeySize; }
    void SetKeySize(int value);
    bool OnScreenKeyboardsEnabled() const { return FonScreenKeyboardsEnabled; }
    void SetOnScreenKeyboardsEnabled(bool value);

    TbitmapContainer* BitmapContainer() const { return FbitmapContainer; }
    void SetBitmapContainer(TbitmapContainer* value);
    TfontContainer* FontContainer() const { return FfontContainer; }
    void SetFontContainer(TfontContainer* value);
    TmySkinScrollBar* SkinScrollBar() const { return FskinScrollBar; }
    void SetSkinScrollBar(TmySkinScrollBar* value);
    TimageList* ImageList() const { return FimageList; }
    void SetImageList(TimageList* value);
    TmySkinButton* SkinButton() const { return FskinButton; }
    void SetSkinButton(TmySkinButton* value);
    // The shared picture (owned); setting it runs the change notice.
    const std::shared_ptr<TBitmap>& Bitmap() const { return Fbitmap; }
    void SetBitmap(std::shared_ptr<TBitmap> value);

    // True when a bitmap container is set and `index` is below its item count. The skin
    // library tells how to count a container's items (SetBitmapCounter).
    bool HasBitmap(int index) const;
    using TbitmapCounter = std::function<int(const TbitmapContainer&)>;
    static void SetBitmapCounter(TbitmapCounter counter);

    // Sections "Preferences" and "OnScreenKeyboards".
    void LoadFromIni(const TiniFile& ini);
    void SaveToIni(TiniFile& ini) const;

private:
    template <typename T>
    void SetAndNotify(T& field, T value) {
        field = value;
        Changed();
    }
    struct Tlistener {
        const void* Owner;
        TNotifyEvent Handler;
    };
    int FupdateCount = 0;
    std::vector<Tlistener> Flisteners;
    bool FsingleClickMultiSelect = false;
    int FsingleClickMultiSelectDelay = 500;
    int FkeySize = 60;
    bool FonScreenKeyboardsEnabled = true;
    TbitmapContainer* FbitmapContainer = nullptr;
    TfontContainer* FfontContainer = nullptr;
    TmySkinScrollBar* FskinScrollBar = nullptr;
    TimageList* FimageList = nullptr;
    TmySkinButton* FskinButton = nullptr;
    std::shared_ptr<TBitmap> Fbitmap;
};

// The one preferences object of the program (main thread only).
TglobalPrefs& GlobalPrefs();

}  // namespace tunecrest
