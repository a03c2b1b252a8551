// quaro-devsim: runs device emulators on the simulated HID bus, so the application and the tools
// can be driven without hardware.
#include "DevSimOptions.h"
#include "sim/DeviceEmulator.h"
#include "sim/EmulatorModels.h"
#include "sim/SimMixer.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

namespace quaro {
namespace {

std::mutex g_outputMutex;

void PrintPacket(const std::string& device, uint16_t interfaceNumber,
                 DeviceEmulator::Direction direction, std::span<const uint8_t> report) {
    std::string line = device + " if" + std::to_string(interfaceNumber) +
                       (direction == DeviceEmulator::Direction::kReceived ? " <-" : " ->");
    char hex[4];
    for (uint8_t byte : report) {
        std::snprintf(hex, sizeof hex, " %02x", byte);
        line += hex;
    }
    line += '\n';
    std::lock_guard lock(g_outputMutex);
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

// The first headset also brings its sound card: the simulated mixer the audio library uses when
// no real headset is plugged in. It comes and goes with the headset.
bool HasSoundCard(const DeviceEmulator& emulator) {
    return emulator.InstanceName() == "headset";
}

void PlugSoundCard(const DeviceEmulator& emulator, const std::filesystem::path& bus) {
    if (HasSoundCard(emulator) && !PublishSimMixer(bus, DefaultHeadsetMixer())) {
        std::fprintf(stderr, "quaro-devsim: cannot publish the headset's mixer in %s\n",
                     bus.c_str());
    }
}

void UnplugSoundCard(const DeviceEmulator& emulator, const std::filesystem::path& bus) {
    if (HasSoundCard(emulator)) {
        RemoveSimMixer(bus);
    }
}

DeviceEmulator* FindEmulator(std::vector<std::unique_ptr<DeviceEmulator>>& emulators,
                             const std::string& name) {
    for (auto& emulator : emulators) {
        if (emulator->InstanceName() == name) {
            return emulator.get();
        }
    }
    return nullptr;
}

// One line of standard input: a request to a device.
void RunCommand(std::vector<std::unique_ptr<DeviceEmulator>>& emulators, const std::string& line,
                const std::filesystem::path& bus) {
    std::istringstream words(line);
    std::string verb;
    std::string name;
    words >> verb >> name;
    if (verb.empty()) {
        return;
    }
    DeviceEmulator* emulator = FindEmulator(emulators, name);
    if (emulator == nullptr) {
        std::fprintf(stderr, "quaro-devsim: no device '%s'\n", name.c_str());
        return;
    }
    bool ok = true;
    if (verb == "settings") {
        ok = emulator->SendSettingsChanged();
    } else if (verb == "press" || verb == "release") {
        unsigned slot = 0;
        if (!(words >> slot) || slot > 0xFF) {
            std::fprintf(stderr, "quaro-devsim: %s wants a slot number 0-255\n", verb.c_str());
            return;
        }
        ok = emulator->SendKeyEvent(static_cast<uint8_t>(slot), verb == "press");
    } else if (verb == "unplug") {
        emulator->Unplug();
        UnplugSoundCard(*emulator, bus);
    } else if (verb == "plug") {
        ok = emulator->Plug();
        if (ok) {
            PlugSoundCard(*emulator, bus);
        }
    } else {
        std::fprintf(stderr, "quaro-devsim: unknown request '%s'\n", verb.c_str());
        return;
    }
    if (!ok) {
        std::fprintf(stderr, "quaro-devsim: %s %s: no host has the interface open\n", verb.c_str(),
                     name.c_str());
    }
}

int Run(const DevSimOptions& options) {
    // Signals are taken as events of the main loop, so the bus threads never see them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::perror("quaro-devsim: signalfd");
        return 1;
    }

    std::vector<std::unique_ptr<DeviceEmulator>> emulators;
    for (const std::string& device : options.devices) {
        std::string instance = device;
        for (int n = 2; FindEmulator(emulators, instance) != nullptr; ++n) {
            instance = device + "-" + std::to_string(n);
        }
        auto emulator =
            std::make_unique<DeviceEmulator>(*EmulatorModelByName(device), options.bus, instance);
        emulator->SetReplyLatency(std::chrono::milliseconds(options.latencyMs));
        for (const DevSimFault& fault : options.faults) {
            if (fault.device.empty() || fault.device == device) {
                emulator->ScheduleFault(fault.kind, fault.packet);
            }
        }
        if (!options.quiet) {
            emulator->SetPacketObserver([instance](DeviceEmulator::Direction direction,
                                                   uint16_t interfaceNumber,
                                                   std::span<const uint8_t> report) {
                PrintPacket(instance, interfaceNumber, direction, report);
            });
        }
        if (!emulator->Plug()) {
            std::fprintf(stderr, "quaro-devsim: cannot plug %s into %s\n", instance.c_str(),
                         options.bus.c_str());
            return 1;
        }
        PlugSoundCard(*emulator, options.bus);
        const EmulatorModel& model = emulator->Model();
        std::fprintf(stderr, "quaro-devsim: %s plugged in (%04x:%04x, %zu interface%s)\n",
                     instance.c_str(), model.vendorId, model.productId, model.interfaces.size(),
                     model.interfaces.size() == 1 ? "" : "s");
        emulators.push_back(std::move(emulator));
    }
    std::fprintf(stderr, "quaro-devsim: bus %s; interrupt to stop\n", options.bus.c_str());

    bool stdinOpen = true;
    std::string pending;
    for (;;) {
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (::poll(fds, stdinOpen ? 2 : 1, -1) < 0) {
            continue;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            break;
        }
        if (stdinOpen && (fds[1].revents & (POLLIN | POLLHUP)) != 0) {
            char chunk[256];
            const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
            if (got <= 0) {
                stdinOpen = false;
                continue;
            }
            pending.append(chunk, static_cast<size_t>(got));
            for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
                RunCommand(emulators, pending.substr(0, end), options.bus);
                pending.erase(0, end + 1);
            }
        }
    }
    for (auto& emulator : emulators) {
        emulator->Unplug();
        UnplugSoundCard(*emulator, options.bus);
    }
    std::fprintf(stderr, "quaro-devsim: stopped\n");
    ::close(signalFd);
    return 0;
}

}  // namespace
}  // namespace quaro

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = quaro::ParseDevSimOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "quaro-devsim: %s\n%s", error.c_str(), quaro::kDevSimUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(quaro::kDevSimUsage, stdout);
        return 0;
    }
    if (options->version) {
        std::fputs("quaro-devsim " QUARO_VERSION "\n", stdout);
        return 0;
    }
    return quaro::Run(*options);
}
