#pragma once

#include <cstdint>

namespace quaro {

class DevicePageSet;

// Another program asked through the message endpoint for a kind's selected profile to be put
// into its device: the first page of that kind with its device present applies it. The request
// carries no answer, so what became of it is traced. True when a page took it.
bool ApplyRequestedProfile(const DevicePageSet& pages, std::uintptr_t kind);

}  // namespace quaro
