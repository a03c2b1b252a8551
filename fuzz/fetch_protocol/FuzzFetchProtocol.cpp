// The fetch helper's lines carry what the network sent, and the helper reads whatever is on its
// standard input: any bytes must be refused or read, never crash, and what is read must survive
// being written again.
#include "platform/Trace.h"
#include "update/FetchProtocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool silenced = (quaro::SetTraceSink({}), true);
    (void)silenced;
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
        case 0: {
            std::string why;
            const auto request = quaro::DecodeFetchRequest(text, why);
            if (!request) {
                break;
            }
            std::string again;
            const auto decoded =
                quaro::DecodeFetchRequest(quaro::EncodeFetchRequest(*request), again);
            if (!decoded || decoded->url != request->url || decoded->body != request->body ||
                decoded->file != request->file || decoded->temporary != request->temporary ||
                decoded->replyCapacity != request->replyCapacity ||
                decoded->settings.caFile != request->settings.caFile) {
                std::abort();
            }
            break;
        }
        case 1: {
            const auto line = quaro::ParseFetchLine(text);
            if (line && line->kind == quaro::FetchLine::Kind::Result) {
                std::string written =
                    quaro::FetchResultLine(line->result, line->lastError, line->reply);
                written.pop_back();
                const auto again = quaro::ParseFetchLine(written);
                if (!again || again->reply != line->reply || again->result != line->result) {
                    std::abort();
                }
            }
            break;
        }
        default: {
            const auto bytes = quaro::DecodeBase64(text);
            if (bytes && quaro::DecodeBase64(quaro::EncodeBase64(*bytes)) != bytes) {
                std::abort();
            }
            break;
        }
    }
    return 0;
}
