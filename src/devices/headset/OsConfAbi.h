#pragma once

#include <cstddef>
#include <cstdint>

// The binary contract between the headset page and the audio library "SDK/libosConfLib.so":
// five C entry points looked up by name. Every entry point returns 0 on success.
//
// Value forms of PropertyControl:
// - the value buffer is always kOsConfValueSize bytes;
// - integer properties travel as one native 32-bit integer at the start of the buffer, both ways;
// - the level sets ("VolumeScalarControl", "AAVolumeScalarControl") carry a native 32-bit float
//   0.0-1.0;
// - the level gets ("VolumeControl", "VolumeScalarControl", "AAVolumeControl",
//   "AAVolumeScalarControl") and "GetSupportFeature" answer text in 8-bit characters or UTF-16
//   units, ended by a zero when it fits. Readers never rely on that end: a full buffer is read up
//   to its size.
// - the second buffer is null or points to 32-bit integers: one (-1, 0 or 1) for the levels,
//   three (4, -1, 0) for "VirtualSurroundEffectControl".
namespace quaro {

// The device record the library lists and takes back by value.
struct OsConfDeviceRecord {
    std::uint32_t handle;
    std::uint32_t type;
    std::uint32_t reserved;
    std::uint32_t state;  // 1 = active
};

using OsConfLibInitFn = int (*)();
using OsConfCreateDeviceListFn = int (*)();
using OsConfGetDeviceCountFn = int (*)(int flow, int* count);
using OsConfGetDeviceByIdFn = int (*)(int flow, int index, OsConfDeviceRecord* device);
using OsConfPropertyControlFn = int (*)(OsConfDeviceRecord device, const char16_t* name,
                                        void* value, void* second, int set);

inline constexpr std::size_t kOsConfValueSize = 1024;
inline constexpr int kOsConfPlaybackFlow = 0;
inline constexpr int kOsConfCaptureFlow = 1;
inline constexpr int kOsConfGet = 0;
inline constexpr int kOsConfSet = 1;

}  // namespace quaro
