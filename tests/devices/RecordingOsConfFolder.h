#pragma once

#include "RecordingOsConf.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <vector>

namespace quaro::test {

// An application folder whose "SDK/libosConfLib.so" is a fresh copy of a recording library, so
// every test starts with its own calls and answers. The copy stays open here while the test
// sets it up and reads what it recorded.
class RecordingOsConfFolder {
public:
    explicit RecordingOsConfFolder(const std::string& built) {
        std::filesystem::create_directories(m_folder / "SDK");
        std::filesystem::copy_file(built, m_folder / "SDK/libosConfLib.so");
        m_handle = dlopen((m_folder / "SDK/libosConfLib.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(m_handle, nullptr) << dlerror();
        if (m_handle != nullptr) {
            m_setup = reinterpret_cast<RecordingOsConfSetupFn>(
                dlsym(m_handle, "RecordingOsConfSetupData"))();
            m_calls =
                reinterpret_cast<RecordingOsConfCallsFn>(dlsym(m_handle, "RecordingOsConfCalls"))();
            m_answer =
                reinterpret_cast<RecordingOsConfAnswerFn>(dlsym(m_handle, "RecordingOsConfAnswer"));
        }
    }
    ~RecordingOsConfFolder() {
        if (m_handle != nullptr) {
            dlclose(m_handle);
        }
    }
    RecordingOsConfFolder(const RecordingOsConfFolder&) = delete;
    RecordingOsConfFolder& operator=(const RecordingOsConfFolder&) = delete;

    const std::filesystem::path& Path() const { return m_folder.Path(); }
    RecordingOsConfSetup& Setup() { return *m_setup; }
    std::vector<RecordingOsConfCall>& Calls() { return *m_calls; }

    // A headset as the library would list it: playback device 10 (type 1), capture device 20.
    void AddHeadset() {
        m_setup->playback.push_back({10, 1, 1});
        m_setup->capture.push_back({20, 2, 1});
    }
    void AnswerInt(const char* name, std::int32_t value) { m_answer(name, &value, sizeof value); }
    void AnswerText(const char* name, const std::u16string& text) {
        m_answer(name, text.c_str(), (text.size() + 1) * sizeof(char16_t));
    }
    void AnswerBytes(const char* name, const std::vector<std::uint8_t>& bytes) {
        m_answer(name, bytes.data(), bytes.size());
    }

    // The property calls (get 0, set 1) made since the last Forget.
    std::vector<RecordingOsConfCall> Properties(int set) const {
        std::vector<RecordingOsConfCall> found;
        std::copy_if(m_calls->begin(), m_calls->end(), std::back_inserter(found),
                     [set](const RecordingOsConfCall& call) {
                         return call.entry.rfind("PropertyControl", 0) == 0 && call.set == set;
                     });
        return found;
    }
    void Forget() { m_calls->clear(); }

private:
    TempDir m_folder;
    void* m_handle = nullptr;
    RecordingOsConfSetup* m_setup = nullptr;
    std::vector<RecordingOsConfCall>* m_calls = nullptr;
    RecordingOsConfAnswerFn m_answer = nullptr;
};

}  // namespace quaro::test
