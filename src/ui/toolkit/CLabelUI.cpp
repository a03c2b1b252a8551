#include "ui/toolkit/CLabelUI.h"

namespace quaro {

CLabelUI::CLabelUI(QWidget* parent) : CControlOn<QLabel>(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
}

bool CLabelUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"align") {
        Qt::Alignment horizontal = value == u"center"  ? Qt::AlignHCenter
                                   : value == u"right" ? Qt::AlignRight
                                                       : Qt::AlignLeft;
        setAlignment(horizontal | (alignment() & Qt::AlignVertical_Mask));
    } else if (name == u"valign") {
        Qt::Alignment vertical = value == u"top"      ? Qt::AlignTop
                                 : value == u"bottom" ? Qt::AlignBottom
                                                      : Qt::AlignVCenter;
        setAlignment(vertical | (alignment() & Qt::AlignHorizontal_Mask));
    } else if (name == u"wordbreak" || name == u"multiline") {
        setWordWrap(ParseBool(value));
    } else if (name == u"showhtml") {
        setTextFormat(ParseBool(value) ? Qt::RichText : Qt::PlainText);
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

}  // namespace quaro
