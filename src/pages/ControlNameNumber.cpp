#include "pages/ControlNameNumber.h"

namespace quaro {

std::optional<ControlNameNumber> SplitControlNameNumber(const QString& text) {
    qsizetype start = text.size();
    while (start > 0 && text[start - 1].isDigit() && text[start - 1].unicode() < 128) {
        --start;
    }
    if (start == text.size()) {
        return std::nullopt;
    }
    bool ok = false;
    const int number = QStringView(text).mid(start).toInt(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return ControlNameNumber{text.left(start), number};
}

}  // namespace quaro
