#include "windows/dialogs/dialog_hooks.h"

#include "core/library/library_reports.h"
#include "core/tags/tagger_loader.h"
#include "windows/dialogs/media_library_report.h"
#include "windows/dialogs/tag_plugins.h"

namespace tunecrest {

void InstallDialogHooks()
{
    TtaggerLoader::SetPluginsDialog([](TtaggerLoader& loader) { ShowPluginsWindow(loader); });
    TmediaLibraryReport::SetColumnDialog([](TmediaLibraryReport& report, const std::vector<std::string>& available) {
        EditMediaLibraryReport(report, available);
    });
}

}  // namespace tunecrest
