#include "update/UpdateChecker.h"

#include <cstring>
#include <vector>

namespace quaro {

UpdateChecker::UpdateChecker(std::string baseUrl, HttpClientSettings settings)
    : m_baseUrl(std::move(baseUrl)), m_settings(std::move(settings)) {}

UpdateResult UpdateChecker::Check(const UpdateEntry& entry, std::function<bool()> cancelled) const {
    HttpClient client(m_settings);
    client.ResetSettings();
    client.SetCancelCheck(std::move(cancelled));
    std::vector<uint8_t> reply(kReplyBufferSize, 0);
    const std::vector<uint8_t> body = UpdateRequestBody(entry);
    const int received = client.Request("POST", CheckUrl(), body, reply, false);
    if (received <= 0) {
        UpdateResult result;
        // The buffer is zeroed and never filled to its end, so its text ends inside it.
        const char* text = reinterpret_cast<const char*>(reply.data());
        result.name.assign(text, strnlen(text, reply.size()));
        return result;
    }
    return ParseUpdateReply(std::string_view(reinterpret_cast<const char*>(reply.data()),
                                             static_cast<size_t>(received)),
                            entry);
}

}  // namespace quaro
