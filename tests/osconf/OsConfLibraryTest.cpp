// The built libosConfLib.so through its real entry points, as the headset page loads it,
// against the simulated headset's mixer in a private bus folder.
#include "TempDir.h"
#include "osconf/OsConfApi.h"
#include "sim/SimMixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <thread>
#include <vector>

namespace quaro {
namespace {

struct EntryPoints {
    decltype(&::ConfLibInit) init = nullptr;
    decltype(&::CreateDeviceList) createList = nullptr;
    decltype(&::GetDeviceCount) count = nullptr;
    decltype(&::GetDeviceById) byId = nullptr;
    decltype(&::PropertyControl) property = nullptr;
};

void* LibraryHandle() {
    static void* handle = ::dlopen(QUARO_OSCONF_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename Function>
void Resolve(Function& function, const char* name) {
    function = reinterpret_cast<Function>(::dlsym(LibraryHandle(), name));
}

using Value = std::array<unsigned char, kOsConfValueBytes>;

class OsConfLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(LibraryHandle(), nullptr) << ::dlerror();
        Resolve(m_lib.init, "ConfLibInit");
        Resolve(m_lib.createList, "CreateDeviceList");
        Resolve(m_lib.count, "GetDeviceCount");
        Resolve(m_lib.byId, "GetDeviceById");
        Resolve(m_lib.property, "PropertyControl");
        ASSERT_TRUE(m_lib.init && m_lib.createList && m_lib.count && m_lib.byId && m_lib.property);
        // The library takes its folders from the environment when it is initialised; the
        // simulated bus is $XDG_RUNTIME_DIR/quaro-hid-sim.
        ::setenv("XDG_CONFIG_HOME", (m_home / "config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", m_home.Path().c_str(), 1);
        ASSERT_TRUE(PublishSimMixer(Bus(), DefaultHeadsetMixer()));
        ASSERT_EQ(m_lib.init(), 0);
        Open();
    }

    std::filesystem::path Bus() const { return m_home / "quaro-hid-sim"; }
    std::filesystem::path KeptFile() const {
        return m_home / "config" / "MV5521LUX gaming keyboard" / "osConfLib.json";
    }

    void Open() {
        ASSERT_EQ(m_lib.createList(), 0);
        int count = -1;
        ASSERT_EQ(m_lib.count(kOsConfFlowPlayback, &count), 0);
        ASSERT_EQ(count, 1);
        ASSERT_EQ(m_lib.count(kOsConfFlowCapture, &count), 0);
        ASSERT_EQ(count, 1);
        ASSERT_EQ(m_lib.byId(kOsConfFlowPlayback, 0, &m_a), 0);
        ASSERT_EQ(m_lib.byId(kOsConfFlowCapture, 0, &m_b), 0);
        EXPECT_EQ(m_a.type, 1u);
        EXPECT_EQ(m_a.state, 1u);
        EXPECT_EQ(m_b.type, 2u);
        EXPECT_EQ(m_b.card, -1);
    }

    int SetInt(const OsConfDevice& device, const char16_t* name, int32_t number) {
        Value value{};
        std::memcpy(value.data(), &number, sizeof number);
        int32_t second = -1;
        return m_lib.property(device, name, value.data(), &second, kOsConfSet);
    }

    int SetFloat(const OsConfDevice& device, const char16_t* name, float number) {
        Value value{};
        std::memcpy(value.data(), &number, sizeof number);
        int32_t second = 0;
        return m_lib.property(device, name, value.data(), &second, kOsConfSet);
    }

    int Get(const OsConfDevice& device, const char16_t* name, Value& value) {
        value.fill(0xAA);
        int32_t second = 1;
        return m_lib.property(device, name, value.data(), &second, kOsConfGet);
    }

    std::optional<int32_t> GetInt(const OsConfDevice& device, const char16_t* name) {
        Value value;
        if (Get(device, name, value) != 0) {
            return std::nullopt;
        }
        int32_t number = 0;
        std::memcpy(&number, value.data(), sizeof number);
        return number;
    }

    // A get's text, checked to end inside the buffer.
    std::optional<std::string> GetText(const OsConfDevice& device, const char16_t* name) {
        Value value;
        if (Get(device, name, value) != 0) {
            return std::nullopt;
        }
        const void* end = std::memchr(value.data(), 0, value.size());
        if (end == nullptr) {
            ADD_FAILURE() << "no terminator in the value buffer";
            return std::nullopt;
        }
        return std::string(reinterpret_cast<const char*>(value.data()));
    }

    test::TempDir m_home;
    EntryPoints m_lib;
    OsConfDevice m_a{};
    OsConfDevice m_b{};
};

TEST_F(OsConfLibraryTest, LevelSetIsReadBackAndReachesTheMixer) {
    ASSERT_EQ(SetFloat(m_b, u"VolumeScalarControl", 0.37f), 0);
    const std::optional<std::string> text = GetText(m_b, u"VolumeScalarControl");
    ASSERT_TRUE(text);
    EXPECT_FLOAT_EQ(std::strtof(text->c_str(), nullptr), 0.37f) << *text;
    EXPECT_EQ(ReadSimMixer(Bus())->elements[1].capture.value, 37);
    EXPECT_EQ(GetText(m_b, u"VolumeControl"), "-0.90");  // -12 dB + 37 steps of 0.3 dB

    ASSERT_EQ(SetFloat(m_b, u"AAVolumeScalarControl", 0.8f), 0);
    EXPECT_FLOAT_EQ(std::strtof(GetText(m_b, u"AAVolumeScalarControl")->c_str(), nullptr), 0.8f);
    EXPECT_EQ(ReadSimMixer(Bus())->elements[1].playback.value, 80);
    EXPECT_EQ(ReadSimMixer(Bus())->elements[1].capture.value, 37);

    // The decibel form moves the same element.
    ASSERT_EQ(SetFloat(m_b, u"VolumeControl", 6.0f), 0);
    EXPECT_EQ(ReadSimMixer(Bus())->elements[1].capture.value, 60);
    EXPECT_EQ(GetInt(m_b, u"GetMaxVol"), 1800);
    EXPECT_EQ(GetInt(m_b, u"GetMinVol"), -1200);
    EXPECT_EQ(GetInt(m_b, u"GetVolStep"), 30);
    EXPECT_EQ(GetInt(m_b, u"GetAAMinVol"), -3000);
}

TEST_F(OsConfLibraryTest, MuteToggles) {
    EXPECT_EQ(GetInt(m_b, u"MuteControl"), 0);
    ASSERT_EQ(SetInt(m_b, u"MuteControl", 1), 0);
    EXPECT_EQ(GetInt(m_b, u"MuteControl"), 1);
    EXPECT_FALSE(ReadSimMixer(Bus())->elements[1].capture.on);
    ASSERT_EQ(SetInt(m_b, u"MuteControl", 0), 0);
    EXPECT_EQ(GetInt(m_b, u"MuteControl"), 0);

    EXPECT_EQ(GetInt(m_b, u"AAMuteControl"), 1);  // monitoring starts muted
    ASSERT_EQ(SetInt(m_b, u"AAMuteControl", 0), 0);
    EXPECT_EQ(GetInt(m_b, u"AAMuteControl"), 0);
    EXPECT_TRUE(ReadSimMixer(Bus())->elements[1].playback.on);
    EXPECT_TRUE(ReadSimMixer(Bus())->elements[1].capture.on);
}

TEST_F(OsConfLibraryTest, KeptPropertySurvivesReopening) {
    // Never set: the get fails, so the page writes its default once.
    EXPECT_EQ(GetInt(m_a, u"EQ_Slider3"), std::nullopt);
    ASSERT_EQ(SetInt(m_a, u"EQ_Slider3", -7), 0);
    ASSERT_EQ(SetInt(m_a, u"Enable_EQ_GFX", 1), 0);
    ASSERT_EQ(SetInt(m_b, u"MagicVoice_Selection", 2), 0);
    EXPECT_EQ(GetInt(m_a, u"EQ_Slider3"), -7);

    ASSERT_EQ(m_lib.init(), 0);
    Open();
    EXPECT_EQ(GetInt(m_a, u"EQ_Slider3"), -7);
    EXPECT_EQ(GetInt(m_a, u"Enable_EQ_GFX"), 1);
    EXPECT_EQ(GetInt(m_b, u"MagicVoice_Selection"), 2);
    EXPECT_NE(test::ReadFileBytes(KeptFile()).find("\"simulated\""), std::string::npos);
}

TEST_F(OsConfLibraryTest, CorruptKeptFileIsMovedAsideNotOverwritten) {
    ASSERT_EQ(SetInt(m_a, u"EQ_Slider1", 4), 0);
    const std::string damaged = "{\"simulated\": {\"EQ_Slider1\": 4,";
    test::WriteFileBytes(KeptFile(), damaged);
    Open();
    EXPECT_EQ(GetInt(m_a, u"EQ_Slider1"), std::nullopt);
    int aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KeptFile().parent_path())) {
        if (entry.path().filename().string().starts_with("osConfLib.json.damaged-")) {
            ++aside;
            EXPECT_EQ(test::ReadFileBytes(entry.path()), damaged);
        }
    }
    EXPECT_EQ(aside, 1);
    ASSERT_EQ(SetInt(m_a, u"EQ_Slider1", 5), 0);
    EXPECT_NE(test::ReadFileBytes(KeptFile()).find("\"EQ_Slider1\" : 5"), std::string::npos);
}

TEST_F(OsConfLibraryTest, SupportFieldsTellTheVoiceChanger) {
    const std::optional<std::string> a = GetText(m_a, u"GetSupportFeature");
    const std::optional<std::string> b = GetText(m_b, u"GetSupportFeature");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(std::count(b->begin(), b->end(), ','), 6) << *b;
    EXPECT_NE(std::strtol(b->c_str(), nullptr, 10) & 0x20000, 0) << *b;
    EXPECT_EQ(std::count(a->begin(), a->end(), ','), 6) << *a;
}

TEST_F(OsConfLibraryTest, BadArgumentsAreRefusedWithoutChange) {
    int32_t number = 1;
    Value value{};
    std::memcpy(value.data(), &number, sizeof number);
    EXPECT_EQ(m_lib.property(m_b, u"MuteControl", nullptr, nullptr, kOsConfSet),
              kOsConfBadArgument);
    EXPECT_EQ(m_lib.property(m_b, nullptr, value.data(), nullptr, kOsConfSet), kOsConfBadArgument);
    EXPECT_EQ(m_lib.property(m_b, u"MuteControl", value.data(), nullptr, 7), kOsConfBadArgument);
    EXPECT_EQ(SetInt(m_b, u"NoSuchControl", 1), kOsConfUnknownProperty);
    EXPECT_EQ(SetInt(m_b, u"mutecontrol", 1), kOsConfUnknownProperty);
    EXPECT_EQ(SetInt(m_a, u"MuteControl", 1), kOsConfUnknownProperty);  // the microphone's
    EXPECT_EQ(SetInt(m_b, u"EQ_Slider1", 1), kOsConfUnknownProperty);   // the headphones'
    EXPECT_EQ(SetInt(m_b, u"GetMaxVol", 1), kOsConfUnknownProperty);    // read only
    EXPECT_EQ(SetInt(m_a, u"EQ_Slider1", 99), kOsConfBadArgument);
    EXPECT_EQ(SetInt(m_b, u"MagicVoice_Selection", 4), kOsConfBadArgument);
    EXPECT_EQ(SetFloat(m_b, u"VolumeScalarControl", std::nanf("")), kOsConfBadArgument);
    std::u16string unterminated(80, u'A');
    EXPECT_EQ(m_lib.property(m_b, unterminated.data(), value.data(), nullptr, kOsConfGet),
              kOsConfUnknownProperty);
    OsConfDevice forged = m_b;
    forged.handle += 0x100;
    EXPECT_EQ(SetInt(forged, u"MuteControl", 1), kOsConfUnknownDevice);

    int count = 0;
    OsConfDevice device{};
    EXPECT_EQ(m_lib.count(2, &count), kOsConfBadArgument);
    EXPECT_EQ(m_lib.count(-1, &count), kOsConfBadArgument);
    EXPECT_EQ(m_lib.count(kOsConfFlowCapture, nullptr), kOsConfBadArgument);
    EXPECT_EQ(m_lib.byId(2, 0, &device), kOsConfBadArgument);
    EXPECT_EQ(m_lib.byId(kOsConfFlowCapture, 1, &device), kOsConfBadArgument);
    EXPECT_EQ(m_lib.byId(kOsConfFlowCapture, 0, nullptr), kOsConfBadArgument);

    const std::optional<SimMixer> mixer = ReadSimMixer(Bus());
    ASSERT_TRUE(mixer);
    EXPECT_TRUE(mixer->elements[1].capture.on);
    EXPECT_EQ(mixer->elements[1].capture.value, 50);
    EXPECT_FALSE(std::filesystem::exists(KeptFile()));
}

TEST_F(OsConfLibraryTest, UnpluggedHeadsetLeavesNoDevicesAndOldRecordsRefused) {
    RemoveSimMixer(Bus());
    EXPECT_EQ(SetInt(m_b, u"MuteControl", 1), kOsConfDeviceError);
    ASSERT_EQ(m_lib.createList(), 0);
    int count = -1;
    ASSERT_EQ(m_lib.count(kOsConfFlowPlayback, &count), 0);
    EXPECT_EQ(count, 0);
    ASSERT_EQ(m_lib.count(kOsConfFlowCapture, &count), 0);
    EXPECT_EQ(count, 0);
    OsConfDevice device{};
    EXPECT_NE(m_lib.byId(kOsConfFlowCapture, 0, &device), 0);
    // Plugged in again: a record of the earlier list is not taken for the new card.
    ASSERT_TRUE(PublishSimMixer(Bus(), DefaultHeadsetMixer()));
    ASSERT_EQ(m_lib.createList(), 0);
    EXPECT_EQ(SetInt(m_b, u"MuteControl", 1), kOsConfUnknownDevice);
}

TEST_F(OsConfLibraryTest, CallsFromSeveralThreadsAreTakenOneAtATime) {
    // The page's worker and its UI thread may both call; every value must land whole.
    std::vector<std::thread> threads;
    for (int band = 1; band <= 4; ++band) {
        threads.emplace_back([this, band] {
            const std::u16string name = u"EQ_Slider" + std::u16string(1, char16_t(u'0' + band));
            for (int round = 0; round < 10; ++round) {
                EXPECT_EQ(SetInt(m_a, name.c_str(), band * 2 + round % 2), 0);
                EXPECT_EQ(SetFloat(m_b, u"VolumeScalarControl", 0.1f * band), 0);
                EXPECT_TRUE(GetText(m_b, u"VolumeScalarControl"));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    Open();
    for (int band = 1; band <= 4; ++band) {
        const std::u16string name = u"EQ_Slider" + std::u16string(1, char16_t(u'0' + band));
        EXPECT_EQ(GetInt(m_a, name.c_str()), band * 2 + 1);
    }
}

TEST(OsConfLibraryExportsTest, OnlyTheEntryPointsAreVisible) {
    void* handle = LibraryHandle();
    ASSERT_NE(handle, nullptr) << ::dlerror();
    for (const char* name : {"ConfLibInit", "CreateDeviceList", "GetDeviceCount", "GetDeviceById",
                             "PropertyControl"}) {
        EXPECT_NE(::dlsym(handle, name), nullptr) << name;
    }
    // A function of the library's own code, by its linker name.
    EXPECT_EQ(::dlsym(handle, QUARO_OSCONF_INTERNAL_SYMBOL), nullptr);
}

}  // namespace
}  // namespace quaro
