#pragma once
// What the library window tests share: the browse fixture library with durations and
// its jukebox, a prompt that answers text and file questions from a script, and finders
// for tree items and nodes.
#include <QTreeWidget>
#include <deque>
#include <optional>
#include <string>

#include "core/display/browse_tree.h"
#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "core/display/tree_nodes.h"
#include "skin/jukebox_list_viewer.h"
#include "support/browse_library.h"
#include "support/recording_prompt.h"
#include "support/tree_find.h"
#include "support/test_application.h"

namespace tunecrest::test {

class TscriptPrompt : public TrecordingPrompt {
  public:
    std::deque<std::optional<std::string>> Texts, Files;
    std::vector<std::string> TextTitles, FileFilters;
    std::optional<std::string> AskText(const std::string& title, const std::string&,
                                       const std::string&) override {
        TextTitles.push_back(title);
        if (Texts.empty()) return std::nullopt;
        auto answer = Texts.front();
        Texts.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string& filter,
                                              const std::string&) override {
        return NextFile(filter);
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string& filter,
                                              const std::string&) override {
        return NextFile(filter);
    }

  private:
    std::optional<std::string> NextFile(const std::string& filter) {
        FileFilters.push_back(filter);
        if (Files.empty()) return std::nullopt;
        auto answer = Files.front();
        Files.pop_front();
        return answer;
    }
};

// The browse library with a duration on every track (60 s times its place + 1) and the
// prompt installed for the test.
struct LibraryFixture {
    LibraryFixture() {
        App();
        previousPrompt = SetPrompt(prompt);
        int i = 0;
        for (const auto& tag : library.lib->GlobalList().Items()) tag->SetDuration(uint32_t(60 * ++i));
    }
    ~LibraryFixture() { SetPrompt(previousPrompt); }
    TlocalJukeboxList& Lib() { return *library.lib; }
    TcustomJukebox& Jukebox() { return *library.lib->Jukebox(); }
    TaudioTagListPtr Playlist(const std::string& title) { return Lib().Playlists().FindList(title); }

    BrowseLibrary library;
    std::shared_ptr<TscriptPrompt> prompt = std::make_shared<TscriptPrompt>();
    std::shared_ptr<Tprompt> previousPrompt;
};

template <typename Pred>
QTreeWidgetItem* FindItem(QTreeWidget& tree, Pred pred) {
    std::vector<QTreeWidgetItem*> open;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) open.push_back(tree.topLevelItem(i));
    while (!open.empty()) {
        QTreeWidgetItem* item = open.back();
        open.pop_back();
        if (pred(item)) return item;
        for (int i = 0; i < item->childCount(); ++i) open.push_back(item->child(i));
    }
    return nullptr;
}

inline QTreeWidgetItem* FindListItem(QTreeWidget& tree, const std::string& title, bool album) {
    return FindItem(tree, [&](QTreeWidgetItem* item) {
        auto* list = dynamic_cast<TaudioTagList*>(TcustomJukeboxListViewer::ItemData(item));
        return list && list->Title() == title && (!album || dynamic_cast<TaudioTagAlbum*>(list));
    });
}

inline TmyNode* FindListNode(TmyNodeList& nodes, const std::string& title) {
    return FindNode(nodes, [&](TmyNode* node) {
        auto* list = node->DataAs<TaudioTagList>();
        return list && list->Title() == title;
    });
}

}  // namespace tunecrest::test
