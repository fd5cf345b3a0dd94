#include "windows/library/jukebox_info.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/library/jukebox_list.h"
#include "core/base/text_utils.h"
#include "skin/modal_runner.h"
#include "windows/editors/editor_form.h"

namespace tunecrest {

std::string InfoDuration(uint64_t seconds) {
    return Format("%llu:%2.2u:%2.2u", static_cast<unsigned long long>(seconds / 3600),
                  unsigned(seconds / 60 % 60), unsigned(seconds % 60));
}

std::vector<std::string> JukeboxInfoLines(TcustomlocalJukeboxList& library) {
    std::vector<std::string> lines;
    TaudioTagList& global = library.GlobalList();
    lines.push_back("Global List Details");
    lines.push_back(Format("  Track Count  : %d", global.Count()));
    lines.push_back("  Duration     : " + InfoDuration(global.TotalDuration()));
    // The grouping always holds the "[Compilations]" and "[Not Tagged]" entries; they count
    // only when they hold tracks.
    const TaudioTagArtistList& artists = library.ArtistList();
    int artistCount = 0;
    for (int i = 0; i < artists.Count(); ++i)
        if (const auto artist = artists.GetArtist(i); artist && artist->Count() > 0) ++artistCount;
    lines.push_back(Format("  Artist Count : %d", artistCount));
    lines.push_back(Format("  Album Count  : %d", library.AlbumList().Count()));
    lines.push_back("");
    TlocalJukebox* jukebox = library.Jukebox();
    TaudioTagList& queue = jukebox->Queue();
    lines.push_back("Queue Details");
    lines.push_back(Format("  Track Count : %d", queue.Count()));
    lines.push_back("  Duration    : " + InfoDuration(queue.TotalDuration()));
    lines.push_back("");
    TaudioTagPlaylistList& stacker = jukebox->Stacker();
    lines.push_back(std::string("Stacker Details (") + (stacker.Active() ? "Enabled" : "Disabled") + ")");
    lines.push_back(Format("  List Count  : %d", stacker.Count()));
    lines.push_back(Format("  Track Count : %d", stacker.TrackCount()));
    lines.push_back("  Duration    : " + InfoDuration(stacker.TotalDuration()));
    lines.push_back("");
    const TaudioTagList* active = jukebox->ActivatedPlaylist();
    lines.push_back("Playlist Details");
    lines.push_back("  Active Playlist : " + (active ? active->Title() : std::string("[none]")));
    lines.push_back(Format("  Track Count     : %d", active ? active->Count() : 0));
    lines.push_back("  Duration        : " + InfoDuration(active ? active->TotalDuration() : 0));
    return lines;
}

TfrmJukeboxInfo::TfrmJukeboxInfo(QWidget* parent) : QDialog(parent) {
    setObjectName("frmJukeboxInfo");
    setWindowTitle("Information");
    auto* layout = new QVBoxLayout(this);
    mmoInfo = new QPlainTextEdit(this);
    mmoInfo->setObjectName("mmoInfo");
    mmoInfo->setReadOnly(true);
    mmoInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(11);
    mmoInfo->setFont(font);
    layout->addWidget(mmoInfo, 1);
    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    auto* close = new QPushButton("&Close", this);
    close->setObjectName("btnClose");
    close->setDefault(true);
    close->setMinimumSize(96, kTouchHeight);
    connect(close, &QPushButton::clicked, this, [this] { done(mrCancel); });
    btnClose = close;
    bottom->addWidget(close);
    layout->addLayout(bottom);
    resize(460, 460);
    StyleEditorDialog(*this);
}

void TfrmJukeboxInfo::Fill(TcustomlocalJukeboxList& library) {
    mmoInfo->clear();
    std::string text;
    for (const std::string& line : JukeboxInfoLines(library)) text += line + "\n";
    text.pop_back();
    mmoInfo->setPlainText(QString::fromStdString(text));
}

void ShowJukeboxInfo(TcustomlocalJukeboxList* library) {
    if (!library) return;
    TfrmJukeboxInfo form;
    form.Fill(*library);
    RunModal(form);
}

}  // namespace tunecrest
