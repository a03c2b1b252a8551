#pragma once

#include "profiles/JsonFileStore.h"
#include "profiles/ProfileRecords.h"

#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace quaro {

// The settings of one device page: its entry of the current profile document held as a live
// JSON value, and typed copies of the groups the page works with. Getters read the entry into
// the typed copy, setters store the copy and write it back into the entry; nothing reaches the
// disk until Save. Also the mouse pad's profile, which needs nothing more.
class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = default;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

    // An empty path leaves the old one.
    void SetProfilePath(const std::filesystem::path& path);
    void SetDefaultProfilePath(const std::filesystem::path& path);
    const std::filesystem::path& GetProfilePath() const { return m_profilePath; }
    const std::filesystem::path& GetDefaultProfilePath() const { return m_defaultProfilePath; }
    // Stored even when empty.
    void SetLightConfigPath(const std::filesystem::path& path) { m_lightConfigPath = path; }
    const std::filesystem::path& GetLightConfigPath() const { return m_lightConfigPath; }
    // Negative indexes name no entry: reads give null and writes are skipped.
    void SetDeviceIndex(int index) { m_deviceIndex = index; }
    int GetDeviceIndex() const { return m_deviceIndex; }
    // Which list of the light library the page shows; the custom effect is looked up there so
    // that it is the entry the user picked. 0 (the keyboard's) until set.
    void SetPageStyle(int pageStyle) { m_pageStyle = pageStyle; }

    // The device entry becomes "Device"[device index] of the document at path. A document that
    // lacks the entry takes the default profile's entry and is written back to path, so a
    // profile file that does not exist yet is created this way. A document that cannot be read
    // or parsed is moved aside first (and left alone when it cannot be moved). Returns a copy of
    // the entry.
    Json::Value Load(const std::filesystem::path& path);

    // Each returns WriteJson's result: 0 written, 1 not.
    virtual int Save();
    // A read-modify-write: "Device"[device index] of the document at path becomes value. A
    // damaged document is moved aside and a new one written; 1 when it cannot be moved.
    virtual int SaveDeviceEntry(const Json::Value& value, const std::filesystem::path& path);
    virtual int WriteDocument(const Json::Value& value, const std::filesystem::path& path);

    // The light library document becomes the JSON at path (null when missing or unreadable);
    // custom effect files are looked up in path's folder. Returns a copy.
    Json::Value LoadLightConfig(const std::filesystem::path& path);

    const Json::Value& DeviceEntry() const { return m_deviceEntry; }

    LightSetting GetLightInfo();
    // word0: effect, brightness, speed, direction from the lowest byte up; word1: multicolour,
    // red, green, blue; word2: extra word in bits 0-15, extra byte in bits 16-23 (never stored).
    void SetLightInfo(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);
    const LightSetting& CurrentLightSetting() const { return m_lightSetting; }
    std::vector<LightSetting> GetLightList();
    // The steps of the custom effect at the current light setting's effect number.
    std::vector<LightEffectStep> GetCustomLightEffect();
    std::vector<KeyAssignmentEntry> GetKeyList();
    // Writes every entry's "Assignment"; "DefaultAssignment" is factory data and never written.
    void SetKeyList(const std::vector<KeyAssignmentEntry>& list);

protected:
    // The entry's member to write into; a wrong-typed entry or member is replaced.
    Json::Value& WritableGroup(const char* name);

    JsonFileStore m_store;
    Json::Value m_deviceEntry;

private:
    std::filesystem::path m_profilePath;
    std::filesystem::path m_defaultProfilePath;
    LightSetting m_lightSetting;
    LightSetting m_defaultLightSetting;
    std::vector<LightSetting> m_lightList;
    std::filesystem::path m_lightConfigPath;
    std::filesystem::path m_lightDocumentFolder;
    std::vector<LightEffectStep> m_customLightEffect;
    Json::Value m_lightDocument;
    std::vector<KeyAssignmentEntry> m_keyList;
    int m_deviceIndex = 0;
    int m_pageStyle = 0;
};

}  // namespace quaro
