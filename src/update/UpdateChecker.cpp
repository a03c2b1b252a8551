#include "update/UpdateChecker.h"

#include "update/FetchProcessClient.h"

#include <cstring>
#include <vector>

namespace quaro {

UpdateChecker::UpdateChecker(std::string baseUrl, HttpClientSettings settings,
                             HttpTransportFactory transport)
    : m_baseUrl(std::move(baseUrl)),
      m_settings(std::move(settings)),
      m_transport(transport ? std::move(transport) : FetchProcessFactory()) {}

UpdateResult UpdateChecker::Check(const UpdateEntry& entry, std::function<bool()> cancelled) const {
    // Checks go out with a fresh client's identity and time-outs; only the trusted authorities
    // are the caller's.
    HttpClientSettings sent;
    sent.caFile = m_settings.caFile;
    const std::unique_ptr<HttpTransport> client = m_transport(sent);
    client->SetCancelCheck(std::move(cancelled));
    std::vector<uint8_t> reply(kReplyBufferSize, 0);
    const std::vector<uint8_t> body = UpdateRequestBody(entry);
    const int received = client->Request("POST", CheckUrl(), body, reply, false);
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
