// The shared object's entry points: one library instance for the process, one call at a time,
// since the headset page, its worker and tools may call from different threads.
#include "device/SimBusLayout.h"
#include "osconf/AudioLibrary.h"
#include "osconf/OsConfApi.h"
#include "platform/Paths.h"

#include <mutex>

namespace {

std::mutex& LibraryLock() {
    static std::mutex lock;
    return lock;
}

quaro::AudioLibrary& Library() {
    static quaro::AudioLibrary library([] {
        return quaro::AudioLibrary::Places{
            quaro::SettingsFolder(quaro::XdgRootsFromEnvironment().configHome),
            quaro::DefaultSimBusFolder()};
    });
    return library;
}

}  // namespace

extern "C" {

int ConfLibInit(void) {
    std::lock_guard lock(LibraryLock());
    return Library().Init();
}

int CreateDeviceList(void) {
    std::lock_guard lock(LibraryLock());
    return Library().CreateDeviceList();
}

int GetDeviceCount(int flow, int* count) {
    std::lock_guard lock(LibraryLock());
    return Library().GetDeviceCount(flow, count);
}

int GetDeviceById(int flow, int index, OsConfDevice* device) {
    std::lock_guard lock(LibraryLock());
    return Library().GetDeviceById(flow, index, device);
}

int PropertyControl(OsConfDevice device, const char16_t* name, void* value, void* /*second*/,
                    int set) {
    std::lock_guard lock(LibraryLock());
    return Library().Property(device, name, value, set);
}

}  // extern "C"
