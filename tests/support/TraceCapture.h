#pragma once

#include "platform/Trace.h"

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace quaro::test {

// Installs a capturing trace sink for its lifetime and restores the previous one afterwards.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(std::string_view text) const;
    size_t Count(std::string_view text) const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    TraceSink m_previous;
};

}  // namespace quaro::test
