#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quaro {

// One product line the update server knows: three firmware lines and the application itself.
// Kind 0 writes and compares versions in decimal, any other kind in hexadecimal.
struct UpdateTableRow {
    int32_t kind;
    int32_t number;
    const char* brand;
    const char* lineId;
    const char* model;
    const char* secondModel;
    const char* versionText;
};

// The server's product lines, in the order of the device tabs; the last row is the application.
inline constexpr std::array<UpdateTableRow, 4> kUpdateTable = {{
    {1, 1, "QUARO", "PX20B31C", "QN4", "QN4", ""},
    {1, 1, "QUARO", "PX20B30C", "MV5521LUX", "MV5521LUX", ""},
    {2, 1, "QUARO", "PX20B22C_1", "T41", "T41", ""},
    {0, 1, "QUARO", "ALL", "T41_QN4_QN3", "AP", "V1000.02"},
}};

struct UpdateEntry {
    int32_t kind = 0;
    int32_t number = 0;
    uint32_t version = 0;  // 0: not known, not asked for
    std::string brand;
    std::string lineId;
    std::string model;
    std::string secondModel;
    std::string versionText;
};

struct UpdateResult {
    std::optional<int32_t> status;  // kStatusNewer or kStatusCurrent; none when not answered
    int32_t deviceId = 0;
    std::string name;
    std::string currentVersionText;
    std::string versionName;
    std::string newestVersionText;
    std::string downloadPath;
    std::string localFile;
};

inline constexpr int32_t kStatusNewer = 1;
inline constexpr int32_t kStatusCurrent = 7;
// The reply buffer of one check; the reply and a terminating zero must fit in it.
inline constexpr std::size_t kReplyBufferSize = 102400;

// One entry per table row. deviceVersions[i] is the version of the device behind device tab i
// (0 when none is connected); the last entry gets the installed version.
std::vector<UpdateEntry> BuildUpdateEntries(const std::vector<uint32_t>& deviceVersions,
                                            uint32_t installedVersion);

// "NULL" for an unknown version, else brand_kind_lineid_model_number.
std::string ApplicationKey(const UpdateEntry& entry);
// "V" and four lowercase hexadecimal digits, or "V" and decimal digits for kind 0.
std::string VersionText(uint32_t version, int32_t kind);
// "app_key=...&version=..." and its terminating zero byte, which the server counts.
std::vector<uint8_t> UpdateRequestBody(const UpdateEntry& entry);

// The result of a reply of `received` bytes (`text` is the buffer's text when nothing came).
UpdateResult ParseUpdateReply(std::string_view reply, const UpdateEntry& entry);
// True when the name says the server could not be reached.
bool IsNoLinkServer(std::string_view name);

// The version this build was installed as, digits only ("1.0.3" gives 103).
int32_t InstalledVersion();
// Every "." removed, the rest read as a decimal number; 0 when it is empty or not a number.
int32_t VersionFromText(std::string_view text);

// How a pass of the main window's update thread ended.
enum class UpdatePassOutcome { NothingNew, SomethingNew, Stopped };
// Checks the entries with a known version in order: stops at an unreachable server (nothing
// new) or the first line with something newer; a line without an answer is passed over.
UpdatePassOutcome RunUpdatePass(const std::vector<UpdateEntry>& entries,
                                const std::function<UpdateResult(const UpdateEntry&)>& check,
                                const std::function<bool()>& stopRequested = {});

}  // namespace quaro
