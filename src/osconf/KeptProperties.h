#pragma once

#include <json/value.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace quaro {

// The properties no mixer element carries (equaliser, room, surround, voice effects), kept by
// the library for each card in one JSON document, {"<card key>": {"<property>": number}}, so
// they read back what was last set, across runs, as a chip holding them would.
class KeptProperties {
public:
    // "osConfLib.json".
    static constexpr const char* kFileName = "osConfLib.json";

    // Reads the card's values. A document that exists but cannot be read is moved aside first;
    // when it cannot even be moved, nothing is read and every Set is refused, so the document
    // is never written over.
    KeptProperties(std::filesystem::path file, std::string cardKey);

    std::optional<int> Get(const std::string& name) const;
    // Stores the value with a read-modify-write of the whole document, keeping every other
    // card's values; false when it could not be written (nothing changes then).
    bool Set(const std::string& name, int value);

private:
    std::filesystem::path m_file;
    std::string m_cardKey;
    bool m_writable = true;
    std::map<std::string, int> m_values;
};

}  // namespace quaro
