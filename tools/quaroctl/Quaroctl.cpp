#include "Quaroctl.h"

#include "ApplyCommand.h"
#include "AudioCommand.h"
#include "DeviceListing.h"
#include "DeviceSession.h"
#include "JsonOutput.h"
#include "ProfilesCommand.h"
#include "RecordReports.h"
#include "device/Catalogue.h"
#include "device/HidDevice.h"
#include "device/HidrawBackend.h"
#include "device/SimBusLayout.h"
#include "device/SimHidBackend.h"
#include "platform/EndpointClient.h"
#include "platform/Paths.h"
#include "platform/Trace.h"
#include "profiles/ProfileListStore.h"

#include <json/value.h>

#include <cstdio>
#include <optional>

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
    "  read KIND|PATH WHAT\n"
    "                     print what the device holds, reading only; WHAT is one of\n"
    "                     settings  the settings record in force (all kinds)\n"
    "                     info      the device information record, as 'info' prints it\n"
    "                     keys      the key image (keyboard) or button image (mouse)\n"
    "                     buttons   the same as keys\n"
    "                     lights    the key light index table (keyboard)\n"
    "                     macros    the macro memory (keyboard, mouse; it cannot be read back)\n"
    "                     status    the power status record (all kinds)\n"
    "                     audio     microphone and monitoring levels and mutes on the\n"
    "                               headset's sound card (headset)\n"
    "  profiles KIND      list the profiles of a device kind; '*' marks the selected one\n"
    "  profiles KIND select NAME\n"
    "                     make profile NAME the selected one (letter case may differ)\n"
    "  apply KIND [PROFILE]\n"
    "                     write the selected profile (or PROFILE, which becomes the selected\n"
    "                     one) into the device: keyboard (settings record, macros, key image)\n"
    "                     or mousepad (light record); when the application runs, it is asked\n"
    "                     to do it, so the device never has two writers\n"
    "\n"
    "options:\n"
    "  --bus DIR          simulated HID bus folder (default $XDG_RUNTIME_DIR/quaro-hid-sim)\n"
    "  --json             print the result as one JSON object (every command)\n"
    "  --trace            print the command packets exchanged\n"
    "  --version          print the version and exit\n"
    "  --help             show this text\n"
    "\n"
    "Devices are looked for on the kernel's hidraw nodes and on the simulated bus. Profiles\n"
    "are kept in $XDG_DATA_HOME/MV5521LUX gaming keyboard/<kind>/.\n"
    "\n"
    "exit status:\n"
    "  0  success\n"
    "  1  device error: no such device, no access to it, or a command failed\n"
    "  2  usage error\n"
    "  3  the device does not hold what was asked for, or cannot give it back\n"
    "  4  no profile of that name\n"
    "  5  the profile list cannot be read or written\n";

enum class What { kSettings, kKeys, kLights, kMacros, kStatus };

std::optional<What> WhatByName(const std::string& name) {
    if (name == "settings") {
        return What::kSettings;
    }
    if (name == "keys" || name == "buttons") {
        return What::kKeys;
    }
    if (name == "lights") {
        return What::kLights;
    }
    if (name == "macros") {
        return What::kMacros;
    }
    if (name == "status") {
        return What::kStatus;
    }
    return std::nullopt;
}

bool IsMouse(uint16_t kind) {
    return kind == kKindMouse || kind == kKindMouseSlowLink;
}

// Why a kind has nothing of this sort to show; empty when it has.
std::string NotHeld(uint16_t kind, What what) {
    const std::string name(KindName(kind));
    switch (what) {
        case What::kKeys:
            if (kind == kKindKeyboard || IsMouse(kind)) {
                return {};
            }
            return "the " + name + " has no key image (it has no assignable keys)";
        case What::kLights:
            if (kind == kKindKeyboard) {
                return {};
            }
            return "the " + name +
                   " has no key light index table (only the keyboard maps keys to lights; the " +
                   name + "'s light frame goes LED by LED)";
        case What::kMacros:
            if (kind == kKindKeyboard || IsMouse(kind)) {
                return {};
            }
            return "the " + name + " holds no macros";
        case What::kSettings:
        case What::kStatus:
            return {};
    }
    return {};
}

struct Context {
    std::shared_ptr<HidBackend> backend;
    std::ostream& out;
    std::ostream& err;
};

int Fail(Context& context, const std::string& message, int status = kExitDeviceError) {
    context.err << "quaroctl: " << message << '\n';
    return status;
}

void ReportProblems(Context& context, const std::vector<ListingProblem>& problems) {
    for (const ListingProblem& problem : problems) {
        context.err << "quaroctl: " << problem.path << ": "
                    << OpenErrorText(problem.error, problem.path) << '\n';
    }
}

int List(Context& context, bool json) {
    std::vector<ListingProblem> problems;
    const std::vector<ListedInterface> listed = ListCataloguedInterfaces(context.backend, problems);
    if (json) {
        Json::Value document(Json::objectValue);
        Json::Value& interfaces = document["interfaces"] = Json::Value(Json::arrayValue);
        for (const ListedInterface& item : listed) {
            Json::Value entry(Json::objectValue);
            entry["kind"] = std::string(KindName(item.entry.kind));
            entry["role"] = item.entry.role;
            entry["path"] = item.path;
            interfaces.append(entry);
        }
        // A script learns of the nodes it may not open as a person does.
        Json::Value& refused = document["problems"] = Json::Value(Json::arrayValue);
        for (const ListingProblem& problem : problems) {
            Json::Value entry(Json::objectValue);
            entry["path"] = problem.path;
            entry["error"] = OpenErrorText(problem.error, problem.path);
            refused.append(entry);
        }
        WriteJson(document, context.out);
    } else {
        for (const ListedInterface& item : listed) {
            char line[64];
            std::snprintf(line, sizeof line, "%-9s %3u  ",
                          std::string(KindName(item.entry.kind)).c_str(), item.entry.role);
            context.out << line << item.path << '\n';
        }
    }
    if (listed.empty() && problems.empty()) {
        context.err << "quaroctl: no supported device found\n";
    }
    ReportProblems(context, problems);
    return problems.empty() ? kExitSuccess : kExitDeviceError;
}

struct Target {
    std::string path;
    uint16_t kind = 0;
};

bool IsPath(const std::string& target) {
    return target.find('#') != std::string::npos;
}

// The command interface behind a kind name (the first one present) or a path.
int Resolve(Context& context, const std::string& target, Target& resolved) {
    if (IsPath(target)) {
        // Probed as discovery does: the usages decide which catalogue row, if any, it is.
        DeviceInterfaceEntry entry = EntryFromPath(target);
        HidDevice device(context.backend);
        if (!device.Open(target, true, false, true, false)) {
            return Fail(context, target + ": " + OpenErrorText(device.LastOpenError(), target));
        }
        entry.usagePage = device.Capabilities().usagePage;
        entry.usage = device.Capabilities().usage;
        device.Close();
        if (FindCatalogueRow(entry) < 0) {
            return Fail(context, target + ": not an interface of a supported device");
        }
        if (entry.role != kRolePrimary) {
            return Fail(context, target +
                                     ": this is the device's event interface; its commands go "
                                     "through the interface of role 0 ('quaroctl list')");
        }
        resolved = {target, entry.kind};
        return kExitSuccess;
    }
    const std::optional<uint16_t> kind = KindByName(target);
    if (!kind) {
        context.err << "quaroctl: '" << target << "' is neither a device kind nor a path\n"
                    << kUsage;
        return kExitUsage;
    }
    std::vector<ListingProblem> problems;
    for (const ListedInterface& item : ListCataloguedInterfaces(context.backend, problems)) {
        if (KindName(item.entry.kind) == KindName(*kind) && item.entry.role == kRolePrimary) {
            resolved = {item.path, item.entry.kind};
            return kExitSuccess;
        }
    }
    ReportProblems(context, problems);
    return Fail(context, "no " + target + " found");
}

std::string Describe(const Target& target) {
    return std::string(KindName(target.kind)) + " " + target.path;
}

std::string FirmwareText(uint16_t version) {
    char text[16];
    std::snprintf(text, sizeof text, "%x.%02x", version >> 8, version & 0xFF);
    return text;
}

std::string HexId(uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", id);
    return text;
}

int Info(Context& context, const std::string& name, bool json) {
    Target target;
    if (const int status = Resolve(context, name, target); status != kExitSuccess) {
        return status;
    }
    DeviceSession session(context.backend);
    std::string error;
    if (!session.Open(target.path, target.kind, error)) {
        return Fail(context, target.path + ": " + error);
    }
    DeviceInfo info;
    if (!session.ReadInfo(info)) {
        return Fail(context, target.path + ": " + session.Failure());
    }
    const DeviceInterfaceEntry entry = EntryFromPath(target.path);
    if (json) {
        Json::Value document(Json::objectValue);
        document["kind"] = std::string(KindName(target.kind));
        document["path"] = target.path;
        document["vendorId"] = HexId(entry.vendorId);
        document["productId"] = HexId(entry.productId);
        document["interface"] = entry.interfaceNumber;
        document["firmwareVersion"] = FirmwareText(info.firmwareVersion);
        document["keyCount"] = info.keyCount;
        document["macroCapacity"] = info.macroCapacity;
        if (info.dpiStep != 0) {
            document["dpiStep"] = info.dpiStep;
            document["sliderMax"] = info.sliderMax;
            document["maxDpi"] = info.sliderMax * info.dpiStep;
            document["minDpi"] = info.minDpi;
        }
        WriteJson(document, context.out);
        return kExitSuccess;
    }
    char text[256];
    std::snprintf(text, sizeof text, "device:           %04x:%04x interface %u, ", entry.vendorId,
                  entry.productId, entry.interfaceNumber);
    context.out << text << target.path << '\n';
    std::snprintf(text, sizeof text,
                  "firmware version: %s\nkey count:        %u\nmacro capacity:   %u bytes\n",
                  FirmwareText(info.firmwareVersion).c_str(), info.keyCount, info.macroCapacity);
    context.out << text;
    if (info.dpiStep != 0) {
        std::snprintf(text, sizeof text,
                      "DPI step:         %u\nslider maximum:   %u (%u DPI)\nminimum DPI:      %u\n",
                      info.dpiStep, info.sliderMax, info.sliderMax * info.dpiStep, info.minDpi);
        context.out << text;
    }
    return kExitSuccess;
}

// The device's macro memory only ever takes an image (command 0x15); no command gives it back,
// so all that can be told is its size.
int Macros(Context& context, DeviceSession& session, const Target& target) {
    DeviceInfo info;
    if (!session.ReadInfo(info)) {
        return Fail(context, Describe(target) + ": " + session.Failure());
    }
    return Fail(context,
                Describe(target) + ": the macro memory (" + std::to_string(info.macroCapacity) +
                    " bytes) cannot be read back: the device takes its macro image with command "
                    "0x15 and has no command that returns it",
                kExitNotHeld);
}

int Read(Context& context, const std::string& name, const std::string& whatName, bool json,
         const std::filesystem::path& bus) {
    // The headset's audio is on its sound card, not behind its HID interface.
    if (whatName == "audio") {
        if (name != "headset") {
            return Fail(context,
                        "only the headset has audio levels ('quaroctl read headset audio')",
                        kExitNotHeld);
        }
        return ReadHeadsetAudio(bus, json, context.out, context.err);
    }
    if (whatName == "info") {
        return Info(context, name, json);
    }
    const std::optional<What> what = WhatByName(whatName);
    if (!what) {
        context.err << "quaroctl: '" << whatName
                    << "' is not one of settings, info, keys, buttons, lights, macros, status, "
                       "audio\n"
                    << kUsage;
        return kExitUsage;
    }
    // Known before looking for the device: a kind that never holds it needs no device.
    if (const std::optional<uint16_t> kind = KindByName(name); kind && !IsPath(name)) {
        if (const std::string why = NotHeld(*kind, *what); !why.empty()) {
            return Fail(context, why, kExitNotHeld);
        }
    }
    Target target;
    if (const int status = Resolve(context, name, target); status != kExitSuccess) {
        return status;
    }
    if (const std::string why = NotHeld(target.kind, *what); !why.empty()) {
        return Fail(context, target.path + ": " + why, kExitNotHeld);
    }
    DeviceSession session(context.backend);
    std::string error;
    if (!session.Open(target.path, target.kind, error)) {
        return Fail(context, target.path + ": " + error);
    }

    std::optional<Report> report;
    switch (*what) {
        case What::kSettings: {
            std::vector<uint8_t> record;
            if (session.ReadSettingsRecord(target.kind, record)) {
                report = SettingsReport(target.kind, record);
            }
            break;
        }
        case What::kKeys:
        case What::kLights: {
            DeviceInfo info;
            std::vector<uint8_t> image;
            std::vector<uint8_t> lightTable;
            const bool lights = *what == What::kLights;
            if (session.ReadKeyTables(lights, info, image, lightTable)) {
                report = lights ? LightsReport(info, image, lightTable)
                                : KeysReport(target.kind, info, image);
            }
            break;
        }
        case What::kStatus: {
            std::array<uint8_t, kStatusRecordSize> record{};
            if (session.ReadStatusRecord(record)) {
                report = StatusReport(record, session.SlowLink());
            }
            break;
        }
        case What::kMacros:
            return Macros(context, session, target);
    }
    if (!report) {
        return Fail(context, Describe(target) + ": " + session.Failure());
    }

    if (json) {
        Json::Value document(Json::objectValue);
        document["kind"] = std::string(KindName(target.kind));
        document["path"] = target.path;
        document[report->Name()] = report->ToJson();
        WriteJson(document, context.out);
    } else {
        context.out << Describe(target) << ": " << report->Name() << '\n' << report->ToText();
    }
    return kExitSuccess;
}

int Apply(Context& context, const std::vector<std::string>& args, bool json,
          const ProfileFolders& folders) {
    const std::optional<uint16_t> kind = KindByName(args[0]);
    if (!kind) {
        context.err << "quaroctl: '" << args[0]
                    << "' is not a device kind (keyboard, mouse, mousepad or headset)\n";
        return kExitUsage;
    }
    const std::string kindName(KindName(*kind));
    if (!CanApplyProfiles(*kind)) {
        return Fail(context,
                    "the " + kindName +
                        "'s profiles cannot be applied from the command line (keyboard and "
                        "mousepad can)",
                    kExitNotHeld);
    }
    ProfileListStore store;
    if (const int status = OpenProfileStore(*kind, folders, context.err, store);
        status != kExitSuccess) {
        return status;
    }
    if (args.size() == 2) {
        if (const int status = SelectProfileNamed(store, args[1], context.err);
            status != kExitSuccess) {
            return status;
        }
    }
    const std::string profileName = store.Names()[static_cast<std::size_t>(store.SelectedIndex())];

    Json::Value document(Json::objectValue);
    document["kind"] = kindName;
    document["profile"] = profileName;
    if (PostToRunningApplication(MessageEndpointPath(), kApplyProfileMessage, *kind, 0)) {
        if (json) {
            document["by"] = "application";
            WriteJson(document, context.out);
        } else {
            context.out << kindName << ": the running application applies profile " << profileName
                        << '\n';
        }
        return kExitSuccess;
    }

    Target target;
    if (const int status = Resolve(context, args[0], target); status != kExitSuccess) {
        return status;
    }
    const ProfileSource source{store.ProfilePath(store.GetCurrentProfileId()),
                               folders.defaultDataFolder / (KindFolderName(*kind) + ".Json"),
                               store.Folder()};
    const ApplyOutcome outcome =
        ApplyProfileToDevice(context.backend, target.path, target.kind, source);
    if (!outcome.applied) {
        return Fail(context, Describe(target) + ": " + outcome.failure);
    }
    std::string notes;
    if (!outcome.keysWritten) {
        notes = "the key image was not written: the keyboard's image is larger than a transfer";
    }
    if (outcome.macroFigure > 0) {
        notes = "the macros were not written: they are " + std::to_string(outcome.macroFigure - 1) +
                " units of 4 bytes over the keyboard's macro memory";
    } else if (outcome.macroFigure < 0) {
        notes = "the macros were not written: their image could not be composed";
    }
    if (json) {
        document["by"] = "quaroctl";
        document["path"] = target.path;
        if (!notes.empty()) {
            document["note"] = notes;
        }
        WriteJson(document, context.out);
    } else {
        context.out << Describe(target) << ": applied profile " << profileName << '\n';
        if (!notes.empty()) {
            context.err << "quaroctl: " << notes << '\n';
        }
    }
    return kExitSuccess;
}

// Restores the process-wide trace sink when a command ends.
class TraceSinkScope {
public:
    explicit TraceSinkScope(TraceSink sink) : m_previous(SetTraceSink(std::move(sink))) {}
    ~TraceSinkScope() { SetTraceSink(std::move(m_previous)); }
    TraceSinkScope(const TraceSinkScope&) = delete;
    TraceSinkScope& operator=(const TraceSinkScope&) = delete;

private:
    TraceSink m_previous;
};

}  // namespace

std::shared_ptr<HidBackend> DefaultBackend(const std::filesystem::path& busFolder) {
    return std::make_shared<CompositeHidBackend>(std::vector<std::shared_ptr<HidBackend>>{
        std::make_shared<HidrawBackend>(), std::make_shared<SimHidBackend>(busFolder)});
}

int RunQuaroctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const BackendFactory& makeBackend) {
    std::filesystem::path bus = DefaultSimBusFolder();
    bool trace = false;
    bool json = false;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return kExitSuccess;
        }
        if (arg == "--version") {
            out << "quaroctl " << QUARO_VERSION << '\n';
            return kExitSuccess;
        }
        if (arg == "--trace") {
            trace = true;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--bus" && i + 1 < args.size()) {
            bus = args[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            err << "quaroctl: unknown or incomplete option '" << arg << "'\n" << kUsage;
            return kExitUsage;
        } else {
            words.push_back(arg);
        }
    }
    // The channel's packet lines are diagnostics; shown only when asked for.
    TraceSinkScope traceScope(trace ? StandardErrorTraceSink() : TraceSink{});
    const ProfileFolders folders{XdgRootsFromEnvironment().dataHome,
                                 DefaultDataFolder(ExecutableDirectory())};
    if (!words.empty() && words[0] == "profiles") {
        return RunProfiles({words.begin() + 1, words.end()}, json, folders, out, err);
    }
    Context context{makeBackend(bus), out, err};
    if ((words.size() == 2 || words.size() == 3) && words[0] == "apply") {
        return Apply(context, {words.begin() + 1, words.end()}, json, folders);
    }
    if (words.size() == 1 && words[0] == "list") {
        return List(context, json);
    }
    if (words.size() == 2 && words[0] == "info") {
        return Info(context, words[1], json);
    }
    if (words.size() == 3 && words[0] == "read") {
        return Read(context, words[1], words[2], json, bus);
    }
    err << kUsage;
    return kExitUsage;
}

}  // namespace quaro
