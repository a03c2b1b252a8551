#include "TraceCapture.h"

#include <algorithm>

namespace quaro::test {

TraceCapture::TraceCapture() {
    m_previous = SetTraceSink([this](std::string_view text) {
        std::lock_guard lock(m_mutex);
        m_lines.emplace_back(text);
    });
}

TraceCapture::~TraceCapture() {
    SetTraceSink(std::move(m_previous));
}

std::vector<std::string> TraceCapture::Lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool TraceCapture::Contains(std::string_view text) const {
    return Count(text) > 0;
}

size_t TraceCapture::Count(std::string_view text) const {
    std::lock_guard lock(m_mutex);
    return static_cast<size_t>(std::count(m_lines.begin(), m_lines.end(), text));
}

void TraceCapture::Clear() {
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

}  // namespace quaro::test
