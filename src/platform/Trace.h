#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quaro {

// The system's diagnostic lines ("命令 ...", "抓取设备线程设定退出", ...) are fixed texts that go
// to one process-wide sink. The application routes them to a Qt logging category, tests capture
// them, command-line tools may silence them. The sink is called with one complete text at a time
// and never concurrently.
using TraceSink = std::function<void(std::string_view text)>;

// Replaces the sink and returns the previous one. An empty sink discards every text.
TraceSink SetTraceSink(TraceSink sink);

// The sink installed at start-up: every text to standard error, unchanged.
TraceSink StandardErrorTraceSink();

void Trace(std::string_view text);

// printf-style, because the system's own texts are printf formats ("readjsonFile 错误吗：：%d\n").
void TraceFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace quaro
