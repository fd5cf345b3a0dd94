#pragma once
// Shared by the benchmarks that read tags from a corpus of media files they make at
// start: running the encoder quietly, the corpus folder removed at exit, and the
// TagLib tag plug-in loaded from a folder of the corpus.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/tags/tagger_loader.h"

namespace tunecrest::bench {

// Runs a shell command without its output; whether it succeeded.
inline bool RunQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Makes the temporary corpus folder "<prefix><process id>" and removes it when the
// program exits. One corpus a program. The path is held apart from the corpus: a static
// corpus is destroyed before a handler registered while it was being built runs.
inline std::filesystem::path MakeCorpusFolder(const std::string& prefix) {
    static std::filesystem::path root;
    root = std::filesystem::temp_directory_path() / (prefix + std::to_string(getpid()));
    std::filesystem::create_directories(root);
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    });
    return root;
}

// Loads the TagLib tag plug-in from a copy in `corpusRoot`/TagPlugins, once; ends the
// program when it does not load.
inline void LoadTagLibTagger(const std::filesystem::path& corpusRoot) {
    static bool loaded = [&] {
        const std::filesystem::path plugins = corpusRoot / "TagPlugins";
        std::filesystem::create_directories(plugins);
        std::filesystem::copy_file(std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins" / "TAG_taglib.so",
                                   plugins / "TAG_taglib.so",
                                   std::filesystem::copy_options::overwrite_existing);
        TaggerLoader().SetPluginFolder(plugins.string());
        return TaggerLoader().PluginCount() == 1;
    }();
    if (!loaded) {
        std::fprintf(stderr, "TAG_taglib.so does not load\n");
        std::exit(1);
    }
}

}  // namespace tunecrest::bench
