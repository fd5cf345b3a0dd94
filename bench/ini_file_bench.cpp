// Settings and rules files of very many sections: parsing 100,000 sections, reading every
// section by name, and loading rules files of 100,000 rules of both kinds.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "core/base/ini_file.h"
#include "core/database/query_rules.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list_rules.h"
#include "core/base/text_utils.h"

using namespace tunecrest;

namespace {
constexpr int kSections = 100000;

// Rule sections as the rules lists write them, names in sorted order.
std::string RulesText() {
    std::string text;
    for (int i = 0; i < kSections; ++i)
        text += Format("[Rule %06d]\r\nRuleName=Rule %06d\r\nEnabled=1\r\nRule0=Artist = 'Band %d'\r\n\r\n", i, i, i);
    return text;
}

void BM_IniParseAndReadEverySectionByName(benchmark::State& state) {
    const std::string text = RulesText();
    for (auto _ : state) {
        TiniFile ini;
        ini.SetText(text);
        size_t found = 0;
        for (int i = 0; i < kSections; i += 1) found += ini.ReadString(Format("RULE %06d", i), "Rule0", "").size();
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kSections);
}
BENCHMARK(BM_IniParseAndReadEverySectionByName)->Unit(benchmark::kMillisecond);

struct TrulesFile {
    TrulesFile() {
        Path = (std::filesystem::temp_directory_path() / Format("tunecrest-bench-rules-%d.dat", int(::getpid()))).string();
        SafeWriteFile(Path, RulesText());
    }
    ~TrulesFile() { std::remove(Path.c_str()); }
    std::string Path;
};

void BM_QueryRulesFileLoad(benchmark::State& state) {
    const TrulesFile file;
    for (auto _ : state) {
        TdbRulesList rules;
        rules.LoadFromFile(file.Path);
        benchmark::DoNotOptimize(rules.Count());
    }
    state.SetItemsProcessed(state.iterations() * kSections);
}
BENCHMARK(BM_QueryRulesFileLoad)->Unit(benchmark::kMillisecond);

void BM_ListRulesFileLoad(benchmark::State& state) {
    const TrulesFile file;
    for (auto _ : state) {
        TtagListRulesCollection rules;
        rules.LoadFromFile(file.Path);
        benchmark::DoNotOptimize(&rules);
    }
    state.SetItemsProcessed(state.iterations() * kSections);
}
BENCHMARK(BM_ListRulesFileLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
