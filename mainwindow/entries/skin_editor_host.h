#pragma once
// The main window as the skin editor sees it: its four font stores, its skin colours,
// the skins folder, loading and exporting skins.
#include "windows/editors/skin_editor.h"

namespace tunecrest {

class TfrmBaseJukebox;

class TmainWindowSkinHost : public TskinEditorHost {
public:
    explicit TmainWindowSkinHost(TfrmBaseJukebox& form) : Fform(form) {}
    std::vector<TfontContainer*> FontStores() override;
    TColor ButtonColor() const override;
    TColor PanelColor() const override;
    TColor DefaultButtonColor() const override;
    TColor DefaultPanelColor() const override;
    std::string SkinsFolder() const override;
    void SetSkinFile(const std::string& file, std::function<void(bool ok)> done) override;
    bool ExportSkin(const std::string& skinFile, std::string* error) override;
    std::string CurrentSkinFile() const override;
    bool KeepLook(std::string* error) override;
    void ApplyListAppearance() override;
    void ApplyColors(TColor buttonColor, TColor panelColor) override;

private:
    TfrmBaseJukebox& Fform;
};

}  // namespace tunecrest
