#pragma once

#include "update/HttpTransport.h"
#include "update/UpdateProtocol.h"

#include <functional>
#include <string>

namespace quaro {

// Asks the update server about one product line: a POST of the line's key and version to the
// base address plus "updates", and the reply read as the line's result.
class UpdateChecker {
public:
    // baseUrl ends in "/api/"; settings carry what every request is sent with (the trusted
    // authorities among them). Each check makes its transport with transport; none runs the
    // transfer in the fetch helper process, so the caller's process never loads the network
    // libraries.
    explicit UpdateChecker(std::string baseUrl, HttpClientSettings settings = {},
                           HttpTransportFactory transport = {});

    // cancelled is asked while the request runs; true ends it as if the server were not
    // reachable, so an owner that stops never waits out the network's time-outs.
    UpdateResult Check(const UpdateEntry& entry, std::function<bool()> cancelled = {}) const;
    std::string CheckUrl() const { return m_baseUrl + "updates"; }
    const HttpClientSettings& Settings() const { return m_settings; }

private:
    std::string m_baseUrl;
    HttpClientSettings m_settings;
    HttpTransportFactory m_transport;
};

}  // namespace quaro
