#include "ui/RegisteredMessages.h"

#include <map>
#include <mutex>

namespace quaro {
namespace {

struct Table {
    std::mutex mutex;
    std::map<QString, unsigned> byName;
    std::map<unsigned, QString> byNumber;
};

Table& GetTable() {
    static Table table;
    return table;
}

}  // namespace

unsigned RegisterWindowMessage(const QString& name) {
    if (name.isEmpty()) {
        return 0;
    }
    Table& table = GetTable();
    std::lock_guard lock(table.mutex);
    auto found = table.byName.find(name);
    if (found != table.byName.end()) {
        return found->second;
    }
    const unsigned next = kFirstRegisteredMessage + static_cast<unsigned>(table.byName.size());
    if (next > kLastRegisteredMessage) {
        return 0;
    }
    table.byName.emplace(name, next);
    table.byNumber.emplace(next, name);
    return next;
}

unsigned FindWindowMessage(const QString& name) {
    Table& table = GetTable();
    std::lock_guard lock(table.mutex);
    auto found = table.byName.find(name);
    return found != table.byName.end() ? found->second : 0;
}

QString WindowMessageName(unsigned message) {
    Table& table = GetTable();
    std::lock_guard lock(table.mutex);
    auto found = table.byNumber.find(message);
    return found != table.byNumber.end() ? found->second : QString();
}

}  // namespace quaro
