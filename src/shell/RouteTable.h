#pragma once

#include "pages/ControlNameNumber.h"
#include "ui/toolkit/CControlUI.h"
#include "ui/toolkit/UIDefs.h"

#include <QString>

#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

namespace quaro {

// How a row's name is held against the sender's name.
enum class RouteMatch {
    kExact,    // the whole name, without regard to case
    kCased,    // the whole name, case and all
    kIndexed,  // a prefix (without regard to case) followed by a decimal number: the index
};

// The index handed on for a row that is no numbered family.
inline constexpr int kRouteNoIndex = -1;

// Every page carries controls of the same names, so a name alone does not say whose control
// spoke: only a sender inside scope (null: the owner has none now) belongs to the owner.
inline bool SenderInside(const CControlUI* scope, const TNotifyUI& msg) {
    return scope != nullptr && msg.pSender != nullptr &&
           scope->GetWidget()->isAncestorOf(msg.pSender->GetWidget());
}

// The rows of one capability's routes: a notification type and a control name select an action.
// The owner fills the rows and says which part of the window is its own (the current page of its
// kind, or a panel of it); the table does the matching the same way for every owner.
//
// Threads: the UI thread only (it reads the sender's widget tree).
template <class Action>
class RouteTable {
public:
    struct Row {
        const QString& type;
        const char* name;
        RouteMatch match;
        Action action;
    };

    struct Hit {
        const Row& row;
        int index;
    };

    RouteTable(std::initializer_list<Row> rows) : m_rows(rows) {}

    // The first row of the notification's type whose name the sender carries; rows are tried in
    // their order, so an earlier row wins.
    std::optional<Hit> Find(const TNotifyUI& msg) const {
        if (msg.pSender == nullptr) {
            return std::nullopt;
        }
        const QString name = msg.pSender->GetName();
        const std::optional<ControlNameNumber> split = SplitControlNameNumber(name);
        for (const Row& row : m_rows) {
            if (msg.sType != row.type) {
                continue;
            }
            const QLatin1String rowName(row.name);
            switch (row.match) {
                case RouteMatch::kExact:
                    if (name.compare(rowName, Qt::CaseInsensitive) == 0) {
                        return Hit{row, kRouteNoIndex};
                    }
                    break;
                case RouteMatch::kCased:
                    if (name == rowName) {
                        return Hit{row, kRouteNoIndex};
                    }
                    break;
                case RouteMatch::kIndexed:
                    if (split && split->prefix.compare(rowName, Qt::CaseInsensitive) == 0) {
                        return Hit{row, split->number};
                    }
                    break;
            }
        }
        return std::nullopt;
    }

    // The usual route: a sender inside scope, a matching row, then act(action, index) says
    // whether the notification was taken. Anything else is left to the next table.
    template <class Act>
    bool Dispatch(const TNotifyUI& msg, const CControlUI* scope, Act&& act) const {
        if (!SenderInside(scope, msg)) {
            return false;
        }
        const std::optional<Hit> hit = Find(msg);
        return hit && std::forward<Act>(act)(hit->row.action, hit->index);
    }

private:
    std::vector<Row> m_rows;
};

}  // namespace quaro
