#pragma once

#include "ui/toolkit/CControlUI.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QTextEdit>

namespace quaro {

// A one-line edit. Typing raises "textchanged", Enter raises "return"; focus changes raise
// "setfocus" and "killfocus". Number-only edits accept digits within the minimum and maximum.
class CEditUI : public CControlOn<QLineEdit> {
public:
    explicit CEditUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("Edit"); }

    void SetMaxChar(int count) { setMaxLength(count); }
    int GetMaxChar() const { return maxLength(); }
    void SetNumberOnly(bool numberOnly);
    bool IsNumberOnly() const { return m_numberOnly; }
    void SetMinValue(int value);
    void SetMaxValue(int value);
    void SetReadOnly(bool readOnly) { setReadOnly(readOnly); }
    // The text the user typed (not a language id).
    QString GetEditText() const { return text(); }

    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void ApplyText(const QString& shown) override { setText(shown); }

private:
    void UpdateValidator();

    bool m_numberOnly = false;
    int m_minValue = 0;
    int m_maxValue = 0x7FFFFFFF;
};

// A multi-line edit.
class CRichEditUI : public CControlOn<QTextEdit> {
public:
    explicit CRichEditUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("RichEdit"); }
    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void ApplyText(const QString& shown) override {
        const QSignalBlocker quiet(this);  // only the user's typing is announced
        setPlainText(shown);
    }
};

}  // namespace quaro
