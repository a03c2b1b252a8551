// Peak heap of the worst documents a store may meet: the largest accepted ones and the ones the
// bounds refuse. Every figure must stay under 100 MB; before the bounds, 64 MiB of "0," took
// 3.1 GiB and 32 s.
#include "platform/Trace.h"
#include "profiles/JsonFileStore.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <new>
#include <stdlib.h>

namespace {

std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

void* Allocate(std::size_t size) {
    void* pointer = std::malloc(size == 0 ? 1 : size);
    if (pointer == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t live = g_live += ::malloc_usable_size(pointer);
    std::size_t peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
    return pointer;
}

void Release(void* pointer) {
    if (pointer != nullptr) {
        g_live -= ::malloc_usable_size(pointer);
        std::free(pointer);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* pointer) noexcept {
    Release(pointer);
}
void operator delete[](void* pointer) noexcept {
    Release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    Release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    Release(pointer);
}

namespace {

std::string Zeros(std::size_t count) {
    std::string text = "[0";
    text.reserve(2 * count + 1);
    for (std::size_t i = 1; i < count; ++i) {
        text += ",0";
    }
    return text + "]";
}

std::string Document(int kind) {
    constexpr std::size_t kCap = quaro::JsonFileStore::kMaxFileBytes;
    switch (kind) {
        case 0:  // refused: as many values as the byte cap holds
            return Zeros(kCap / 2 - 1);
        case 1:  // accepted: the most values allowed
            return Zeros(quaro::JsonFileStore::kMaxValues - 1);
        case 2: {  // accepted: the most members allowed, each with a long name
            std::string text = "{";
            const std::size_t members = quaro::JsonFileStore::kMaxValues - 1;
            const std::size_t nameLength = (kCap - 2) / members - 6;
            for (std::size_t i = 0; i < members; ++i) {
                std::string name = std::to_string(i);
                name.resize(nameLength, 'n');
                text += (i == 0 ? "\"" : ",\"") + name + "\":0";
            }
            return text + "}";
        }
        case 3:  // accepted: one string as long as the cap allows
            return "\"" + std::string(kCap - 2, 'x') + "\"";
        default:  // refused: nested deeper than allowed
            return std::string(kCap / 2, '[') + std::string(kCap / 2, ']');
    }
}

void BM_ReadBoundedDocument(benchmark::State& state) {
    quaro::SetTraceSink({});
    const std::string text = Document(static_cast<int>(state.range(0)));
    std::string pattern = (std::filesystem::temp_directory_path() / "quaro-bench-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    const std::filesystem::path path = folder / "doc.Json";
    std::ofstream(path, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    const quaro::JsonFileStore store;
    std::size_t peak = 0;
    bool accepted = false;
    for (auto _ : state) {
        g_peak = g_live.load();
        const std::size_t before = g_live.load();
        const quaro::DocumentRead read = store.ReadDocument(path);
        accepted = read.state == quaro::ReadState::Read;
        benchmark::DoNotOptimize(read);
        peak = std::max(peak, g_peak.load() - before);
    }
    std::filesystem::remove_all(folder);
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["accepted"] = accepted ? 1 : 0;
    state.SetLabel(std::to_string(text.size()) + " bytes");
}
BENCHMARK(BM_ReadBoundedDocument)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
