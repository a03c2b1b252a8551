#pragma once

#include "ui/toolkit/CControlUI.h"

#include <QLabel>

namespace quaro {

// A line of text ("Label", and "Text" which is the same on this toolkit).
class CLabelUI : public CControlOn<QLabel> {
public:
    explicit CLabelUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("Label"); }
    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void ApplyText(const QString& shown) override { setText(shown); }
};

}  // namespace quaro
