#pragma once

#include "shell/CMainWnd.h"
#include "shell/CSetWnd.h"
#include "update/UpdateProtocol.h"
#include "update/UpdateSettings.h"

#include <cstdint>
#include <vector>

namespace quaro {

// How the main window meets the update service: the versions behind its device tabs, the
// update thread of its slot 2 and the settings window it opens.

inline constexpr int kUpdateThreadSlot = 2;
// The "setbtn" picture that says something newer exists.
inline constexpr const char* kNewUpdateImage = "file='sysbtn/haveNewInfo.svg'";

// For each device type row in order (one tab each): the HID version number of the device behind
// the row's tab while its command channel is open, else 0. UI thread only.
std::vector<uint32_t> DeviceTabVersions(CMainWnd& window);
// The update entries with the tabs' versions and the installed version. UI thread only.
std::vector<UpdateEntry> MainWindowUpdateEntries(CMainWnd& window);

// Starts the check of every known line on the window's slot 2: the entries are read on the UI
// thread, the requests are made on the worker. Something newer marks "setbtn" and asks for
// the settings window (3093); nothing new clears the mark (3094).
void StartUpdateCheck(CMainWnd& window, UpdateServerSettings server);

// Makes the settings window for the main window, handing it scale, language and the entries
// whose version is known.
CMainWnd::SettingsWindowFactory MakeSettingsWindowFactory(CResourceManager& resources,
                                                          CSetWnd::Services services);

// Runs a downloaded installer as its own process; false when it cannot be started.
bool StartInstallerProcess(const std::string& file, bool shown);

}  // namespace quaro
