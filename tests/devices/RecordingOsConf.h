#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

// What the recording audio library is set up with before the page opens it.
struct RecordingOsConfDevice {
    std::uint32_t handle = 0;
    std::uint32_t type = 0;
    std::uint32_t state = 1;
};

struct RecordingOsConfSetup {
    int initResult = 0;
    std::vector<RecordingOsConfDevice> playback;
    std::vector<RecordingOsConfDevice> capture;
    // Properties whose every call fails.
    std::set<std::string> failing;
};

// One call as it reached the library. For PropertyControl: entry "PropertyControl:<handle>",
// set 1 or 0, the value buffer's first word read as an integer and as a float, and the second
// buffer's words.
struct RecordingOsConfCall {
    std::string entry;
    std::string property;
    int set = -1;
    std::int32_t value = 0;
    float scalar = 0;
    std::vector<std::int32_t> second;
};

using RecordingOsConfSetupFn = RecordingOsConfSetup* (*)();
using RecordingOsConfCallsFn = std::vector<RecordingOsConfCall>* (*)();
using RecordingOsConfAnswerFn = void (*)(const char* name, const void* bytes, std::size_t size);
