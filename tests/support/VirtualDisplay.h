#pragma once

#include <string>
#include <sys/types.h>

namespace quaro::test {

// A private X server for one test: Xvfb picks a free display and tells its number. Name() is
// empty when no Xvfb could be started.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    const std::string& Name() const { return m_name; }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

}  // namespace quaro::test
