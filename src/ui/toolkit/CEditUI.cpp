#include "ui/toolkit/CEditUI.h"

#include <QIntValidator>

namespace quaro {

CEditUI::CEditUI(QWidget* parent) : CControlOn<QLineEdit>(parent) {
    QObject::connect(this, &QLineEdit::textEdited, this,
                     [this] { SendNotify(notify::kTextChanged); });
    QObject::connect(this, &QLineEdit::returnPressed, this,
                     [this] { SendNotify(notify::kReturn); });
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    m_numberOnly = numberOnly;
    UpdateValidator();
}

void CEditUI::SetMinValue(int value) {
    m_minValue = value;
    UpdateValidator();
}

void CEditUI::SetMaxValue(int value) {
    m_maxValue = value;
    UpdateValidator();
}

void CEditUI::UpdateValidator() {
    if (!m_numberOnly) {
        setValidator(nullptr);
        return;
    }
    auto* validator = new QIntValidator(m_minValue, m_maxValue, this);
    setValidator(validator);
}

bool CEditUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"maxchar") {
        SetMaxChar(value.toInt());
    } else if (name == u"numberonly") {
        SetNumberOnly(ParseBool(value));
    } else if (name == u"minvalue") {
        SetMinValue(value.toInt());
    } else if (name == u"maxvalue") {
        SetMaxValue(value.toInt());
    } else if (name == u"readonly") {
        setReadOnly(ParseBool(value));
    } else if (name == u"password") {
        setEchoMode(ParseBool(value) ? QLineEdit::Password : QLineEdit::Normal);
    } else if (name == u"prompttext") {
        setPlaceholderText(value);
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

CRichEditUI::CRichEditUI(QWidget* parent) : CControlOn<QTextEdit>(parent) {
    setAcceptRichText(false);
    QObject::connect(this, &QTextEdit::textChanged, this,
                     [this] { SendNotify(notify::kTextChanged); });
}

bool CRichEditUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"readonly") {
        setReadOnly(ParseBool(value));
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

}  // namespace quaro
