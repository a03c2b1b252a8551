// quaroctl: lists the supported devices that are present and reads their information record,
// through the same HidDevice and CommandChannel as the application.
#include "DeviceListing.h"
#include "device/Catalogue.h"
#include "device/CommandChannel.h"
#include "device/HidrawBackend.h"
#include "device/SimBusLayout.h"
#include "device/SimHidBackend.h"
#include "platform/Trace.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quaro {
namespace {

constexpr const char* kUsage =
    "usage: quaroctl [options] COMMAND\n"
    "\n"
    "commands:\n"
    "  list               print every present HID interface of a supported device:\n"
    "                     kind, role (0 command interface, 255 event interface), path\n"
    "  info KIND|PATH     read the device information record of a device (KIND is keyboard,\n"
    "                     mouse, mousepad or headset; the first one found is used) and print\n"
    "                     its key count, macro capacity and firmware version\n"
    "\n"
    "options:\n"
    "  --bus DIR          simulated HID bus folder (default $XDG_RUNTIME_DIR/quaro-hid-sim)\n"
    "  --trace            print the command packets exchanged\n"
    "  --help             show this text\n"
    "\n"
    "Devices are looked for on the kernel's hidraw nodes and on the simulated bus.\n"
    "Exit status: 0 success, 1 device error, 2 usage error.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "quaroctl: %s\n", message.c_str());
    return 1;
}

int ReportProblems(const std::vector<ListingProblem>& problems) {
    for (const ListingProblem& problem : problems) {
        std::fprintf(stderr, "quaroctl: %s: %s\n", problem.path.c_str(),
                     OpenErrorText(problem.error).c_str());
    }
    return problems.empty() ? 0 : 1;
}

int List(const std::shared_ptr<HidBackend>& backend) {
    std::vector<ListingProblem> problems;
    const std::vector<ListedInterface> listed = ListCataloguedInterfaces(backend, problems);
    for (const ListedInterface& item : listed) {
        std::printf("%-9s %3u  %s\n", std::string(KindName(item.entry.kind)).c_str(),
                    item.entry.role, item.path.c_str());
    }
    if (listed.empty() && problems.empty()) {
        std::fprintf(stderr, "quaroctl: no supported device found\n");
    }
    return ReportProblems(problems);
}

std::string ResultText(int32_t result) {
    switch (result) {
        case kResultFailed:
            return "the device did not answer";
        case kResultWriteFailed:
            return "the request could not be sent";
        case kResultRejected:
            return "the device rejected the request (status 0xFF)";
        case kResultSecondError:
            return "the device reported an error (status 0xFE)";
        default:
            return "result " + std::to_string(result);
    }
}

int Info(const std::shared_ptr<HidBackend>& backend, const std::string& target) {
    std::string path;
    if (target.find('#') != std::string::npos) {
        path = target;
    } else {
        const std::optional<uint16_t> kind = KindByName(target);
        if (!kind) {
            std::fprintf(stderr, "quaroctl: '%s' is neither a device kind nor a path\n%s",
                         target.c_str(), kUsage);
            return 2;
        }
        std::vector<ListingProblem> problems;
        for (const ListedInterface& item : ListCataloguedInterfaces(backend, problems)) {
            if (KindName(item.entry.kind) == KindName(*kind) && item.entry.role == kRolePrimary) {
                path = item.path;
                break;
            }
        }
        if (path.empty()) {
            ReportProblems(problems);
            return Fail("no " + target + " found");
        }
    }

    CommandChannel channel(backend);
    {
        std::lock_guard lock(channel.TransferLock());
        if (!channel.Device().Open(path, true, true, true, false)) {
            return Fail(path + ": " + OpenErrorText(channel.Device().LastOpenError()));
        }
    }
    channel.SetConnected(true);
    DeviceInfoBytes record{};
    int32_t result = channel.Begin();
    if (result == kResultSuccess) {
        result = channel.ReadDeviceInfo(record);
    }
    const int32_t ended = channel.End();
    if (result == kResultSuccess) {
        result = ended;
    }
    if (result != kResultSuccess) {
        return Fail(path + ": " + ResultText(result));
    }
    const DeviceInfo info = ParseDeviceInfo(record);
    const DeviceInterfaceEntry entry = EntryFromPath(path);
    std::printf("device:           %04x:%04x interface %u, %s\n", entry.vendorId, entry.productId,
                entry.interfaceNumber, path.c_str());
    std::printf("firmware version: %x.%02x\n", info.firmwareVersion >> 8,
                info.firmwareVersion & 0xFF);
    std::printf("key count:        %u\n", info.keyCount);
    std::printf("macro capacity:   %u bytes\n", info.macroCapacity);
    if (info.dpiStep != 0) {
        std::printf("DPI step:         %u\n", info.dpiStep);
        std::printf("slider maximum:   %u (%u DPI)\n", info.sliderMax,
                    info.sliderMax * info.dpiStep);
        std::printf("minimum DPI:      %u\n", info.minDpi);
    }
    return 0;
}

}  // namespace
}  // namespace quaro

int main(int argc, char** argv) {
    using namespace quaro;
    std::filesystem::path bus = DefaultSimBusFolder();
    bool trace = false;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--trace") {
            trace = true;
        } else if (arg == "--bus" && i + 1 < argc) {
            bus = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "quaroctl: unknown or incomplete option '%s'\n%s", arg.c_str(),
                         kUsage);
            return 2;
        } else {
            words.push_back(arg);
        }
    }
    // The channel's packet lines are diagnostics; shown only when asked for.
    SetTraceSink(trace ? StandardErrorTraceSink() : TraceSink{});
    auto backend = std::make_shared<CompositeHidBackend>(std::vector<std::shared_ptr<HidBackend>>{
        std::make_shared<HidrawBackend>(), std::make_shared<SimHidBackend>(bus)});
    if (words.size() == 1 && words[0] == "list") {
        return List(backend);
    }
    if (words.size() == 2 && words[0] == "info") {
        return Info(backend, words[1]);
    }
    std::fputs(kUsage, stderr);
    return 2;
}
