#include "profiles/StoredNames.h"

#include "platform/Trace.h"
#include "profiles/JsonFileStore.h"

#include <chrono>
#include <cstddef>

namespace quaro {

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool CheckPlainFileName(std::string_view name, std::string_view what) {
    if (IsPlainFileName(name)) {
        return true;
    }
    Trace("refused " + std::string(what) + " that is not a plain file name: \"" +
          std::string(name.substr(0, name.find('\0'))) + "\"\n");
    return false;
}

bool EqualsIgnoringCase(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
        char a = left[i];
        char b = right[i];
        if (a >= 'A' && a <= 'Z') {
            a = static_cast<char>(a - 'A' + 'a');
        }
        if (b >= 'A' && b <= 'Z') {
            b = static_cast<char>(b - 'A' + 'a');
        }
        if (a != b) {
            return false;
        }
    }
    return true;
}

std::string LowestFreeName(std::string_view prefix,
                           const std::function<bool(const std::string&)>& taken) {
    for (int n = 1;; ++n) {
        std::string name = std::string(prefix) + std::to_string(n);
        if (!taken(name)) {
            return name;
        }
    }
}

std::string MakeFreshIdentifier(const std::function<bool(const std::string&)>& taken) {
    auto when = std::chrono::system_clock::now();
    std::string identifier = JsonFileStore::MakeTimeStamp(when);
    while (taken(identifier)) {
        when += std::chrono::milliseconds(1);
        identifier = JsonFileStore::MakeTimeStamp(when);
    }
    return identifier;
}

}  // namespace quaro
