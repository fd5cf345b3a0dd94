#include "windows/library/tree_rebuild.h"

#include "windows/about_box.h"

namespace tunecrest {

TtreeRebuild::TtreeRebuild() = default;
TtreeRebuild::~TtreeRebuild() = default;

bool TtreeRebuild::Run(TfrmAbout2* progress, const std::string& text, const std::function<void()>& build) {
    if (Fbusy) {
        Fagain = true;
        return false;
    }
    Fbusy = true;
    Fprogress = progress;
    Ftext = text;
    struct Tend {
        TtreeRebuild& Self;
        ~Tend() {
            Self.Fprogress = nullptr;
            Self.Fbusy = false;
        }
    };
    {
        Tend end{*this};
        do {
            Fagain = false;
            TprogressScope scope(progress, text);
            build();
            ++Fbuilds;
        } while (Fagain);
    }
    return true;
}

void TtreeRebuild::Progress(int index, int count, const std::string& comment) {
    if (!Fprogress) return;
    Fprogress->SetStatusText(Ftext + " : " + comment);
    Fprogress->SetProgress(index, count);
}

}  // namespace tunecrest
