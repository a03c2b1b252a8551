#include "platform/Trace.h"
#include "profiles/JsonFileStore.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdlib.h>

namespace {

// About the size of a keyboard profile: 126 key entries and a light group.
Json::Value KeyboardSizedDocument() {
    Json::Value entry;
    for (int i = 0; i < 126; ++i) {
        Json::Value key;
        key["KeyIndex"] = i;
        key["DefaultAssignment"] = 0x200000 + i;
        key["Assignment"] = 0x200000 + i;
        key["MacroGuid"] = "";
        entry["KeyList"].append(key);
    }
    for (int i = 0; i < 126; ++i) {
        entry["LightColor"].append(0x00FF8000 + i);
    }
    Json::Value root;
    root["Device"].append(entry);
    root["profilename"] = "profile1";
    root["profileUUID"] = "2026_12_09_05_08_45_000";
    return root;
}

std::filesystem::path BenchFolder() {
    static std::string folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quaro-bench-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data()));
    }();
    return folder;
}

void BM_WriteProfile(benchmark::State& state) {
    quaro::SetTraceSink({});
    const quaro::JsonFileStore store;
    const Json::Value document = KeyboardSizedDocument();
    const auto path = BenchFolder() / "write.Json";
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.WriteJson(path, document));
    }
}
BENCHMARK(BM_WriteProfile)->Unit(benchmark::kMicrosecond);

void BM_ReadProfile(benchmark::State& state) {
    quaro::SetTraceSink({});
    const quaro::JsonFileStore store;
    const auto path = BenchFolder() / "read.Json";
    store.WriteJson(path, KeyboardSizedDocument());
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.ReadJson(path));
    }
}
BENCHMARK(BM_ReadProfile)->Unit(benchmark::kMicrosecond);

}  // namespace
