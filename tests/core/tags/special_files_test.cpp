// A FIFO where a data file belongs: every reader refuses it at once instead of waiting
// for a writer that never comes.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/tags/file_keyed_tag_lists.h"
#include "core/base/ini_file.h"
#include "core/tags/playlist_files.h"
#include "core/database/query_rules.h"
#include "core/tags/tag_cache_file.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tag_list_rules.h"
#include "core/library/url_list.h"
#include "support/special_files.h"
#include "support/temp_dir.h"

using namespace tunecrest;

TEST(SpecialFiles, EveryDataFileReaderRefusesAFifoAtOnce) {
    test::TempDir dir;
    const std::string fifo = test::MakeFifo(dir.File("Folder.jpg"));
    const auto check = [&](const char* what, const std::function<void()>& read) {
        EXPECT_TRUE(test::FinishesWithoutBlocking(fifo, read)) << what << " blocked on the FIFO";
    };
    check("tag list", [&] {
        TaudioTagList list;
        std::string error;
        EXPECT_FALSE(list.LoadFromFile(fifo, false, "", &error));
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    });
    check("list of lists", [&] {
        std::vector<TaudioTagListPtr> lists;
        EXPECT_FALSE(LoadTagListsFromFile(fifo, lists));
    });
    check("tag cache", [&] {
        std::vector<TaudioTagPtr> tags;
        EXPECT_FALSE(LoadTagCacheFile(fifo, tags));
    });
    check("playlist import", [&] {
        TaudioTagList list;
        std::string error;
        EXPECT_FALSE(LoadFromPlaylistFile(list, fifo, false, &error));
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    });
    check("file-keyed list", [&] {
        TpopularityTagList list;
        list.LoadFromListFile(fifo, false);
        EXPECT_EQ(list.Items().Count(), 0);
    });
    check("settings", [&] { EXPECT_TRUE(TiniFile(fifo).ReadFailed()); });
    check("query rules", [&] {
        TdbRulesList rules;
        rules.LoadFromFile(fifo);
        EXPECT_EQ(rules.Count(), 0);
    });
    check("list rules", [&] {
        TtagListRulesCollection rules;
        rules.LoadFromFile(fifo);
    });
    check("addresses", [&] {
        TurlList urls;
        urls.LoadFromFile(fifo);
    });
    check("embedded picture", [&] {
        TaudioTag tag;
        tag.SetFilename(fifo);
        std::string jpeg;
        EXPECT_FALSE(tag.GetEmbeddedPicture(jpeg));
    });
    check("cover file", [&] {
        // The FIFO is named as the folder's cover picture.
        TaudioTag tag;
        tag.SetFilename(dir.File("song.mp3"));
        TcoverPicture picture;
        EXPECT_FALSE(tag.LoadCoverImage(picture, true, false));
    });
}
