#include "platform/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace quaro {
namespace {

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

TraceSink& CurrentSink() {
    static TraceSink sink = StandardErrorTraceSink();
    return sink;
}

}  // namespace

TraceSink StandardErrorTraceSink() {
    return [](std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        if (text.empty() || text.back() != '\n') {
            std::fputc('\n', stderr);
        }
    };
}

TraceSink SetTraceSink(TraceSink sink) {
    std::lock_guard lock(SinkMutex());
    TraceSink previous = std::move(CurrentSink());
    CurrentSink() = std::move(sink);
    return previous;
}

void Trace(std::string_view text) {
    std::lock_guard lock(SinkMutex());
    if (CurrentSink()) {
        CurrentSink()(text);
    }
}

void TraceFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0) {
        va_end(args);
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    Trace(std::string_view(buffer.data(), static_cast<size_t>(length)));
}

}  // namespace quaro
