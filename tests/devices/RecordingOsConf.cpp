// A stand-in for the audio library that the headset tests load with dlopen: it answers from a
// small property table and records every call, so a test sees exactly what reached the library.
// Built twice: once whole, once without PropertyControl (RECORDING_OSCONF_NO_PROPERTY).
#include "RecordingOsConf.h"

#include "devices/headset/OsConfAbi.h"

#include <cstring>
#include <map>
#include <string>

using quaro::OsConfDeviceRecord;

namespace {

RecordingOsConfSetup g_setup;
std::vector<RecordingOsConfCall> g_calls;
std::map<std::string, std::vector<std::uint8_t>> g_values;

[[maybe_unused]] std::string Narrow(const char16_t* name) {
    std::string text;
    for (; name != nullptr && *name != 0; ++name) {
        text.push_back(static_cast<char>(*name));
    }
    return text;
}

void Record(std::string entry, std::string property = {}, int set = -1, std::int32_t value = 0,
            float scalar = 0, std::vector<std::int32_t> second = {}) {
    g_calls.push_back(
        {std::move(entry), std::move(property), set, value, scalar, std::move(second)});
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) RecordingOsConfSetup* RecordingOsConfSetupData() {
    return &g_setup;
}

__attribute__((visibility("default"))) std::vector<RecordingOsConfCall>* RecordingOsConfCalls() {
    return &g_calls;
}

__attribute__((visibility("default"))) void RecordingOsConfAnswer(const char* name,
                                                                  const void* bytes,
                                                                  std::size_t size) {
    const auto* data = static_cast<const std::uint8_t*>(bytes);
    g_values[name] = std::vector<std::uint8_t>(data, data + size);
}

__attribute__((visibility("default"))) int ConfLibInit() {
    Record("ConfLibInit");
    return g_setup.initResult;
}

__attribute__((visibility("default"))) int CreateDeviceList() {
    Record("CreateDeviceList");
    return 0;
}

__attribute__((visibility("default"))) int GetDeviceCount(int flow, int* count) {
    Record("GetDeviceCount", {}, -1, flow);
    *count = static_cast<int>(flow == 0 ? g_setup.playback.size() : g_setup.capture.size());
    return 0;
}

__attribute__((visibility("default"))) int GetDeviceById(int flow, int index,
                                                         OsConfDeviceRecord* device) {
    Record("GetDeviceById", {}, -1, flow * 100 + index);
    const auto& list = flow == 0 ? g_setup.playback : g_setup.capture;
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
        return 1;
    }
    const RecordingOsConfDevice& entry = list[static_cast<std::size_t>(index)];
    *device = OsConfDeviceRecord{entry.handle, entry.type, 0, entry.state};
    return 0;
}

#ifndef RECORDING_OSCONF_NO_PROPERTY
__attribute__((visibility("default"))) int PropertyControl(OsConfDeviceRecord device,
                                                           const char16_t* name, void* value,
                                                           void* second, int set) {
    const std::string property = Narrow(name);
    std::vector<std::int32_t> secondWords;
    if (second != nullptr) {
        const int words = property == "VirtualSurroundEffectControl" ? 3 : 1;
        const auto* data = static_cast<const std::int32_t*>(second);
        secondWords.assign(data, data + words);
    }
    std::int32_t word = 0;
    float scalar = 0;
    std::memcpy(&word, value, sizeof word);
    std::memcpy(&scalar, value, sizeof scalar);
    Record("PropertyControl:" + std::to_string(device.handle), property, set, word, scalar,
           secondWords);
    if (g_setup.failing.count(property) != 0) {
        return 1;
    }
    if (set == 1) {
        auto* bytes = static_cast<const std::uint8_t*>(value);
        g_values[property] = std::vector<std::uint8_t>(bytes, bytes + 4);
        return 0;
    }
    const auto found = g_values.find(property);
    if (found == g_values.end()) {
        return 1;
    }
    std::memcpy(value, found->second.data(), std::min<std::size_t>(found->second.size(), 1024));
    return 0;
}
#endif
}
