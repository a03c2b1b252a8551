#pragma once

#include "ui/toolkit/CControlUI.h"

#include <QPushButton>

namespace quaro {

// A push button. A click raises "click". Status images ("normalimage", "hotimage",
// "pushedimage", "disabledimage") are image descriptions drawn over the whole button; the style
// sheet draws the rest.
class CButtonUI : public CControlOn<QPushButton> {
public:
    explicit CButtonUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("Button"); }

    bool SetAttribute(const QString& name, const QString& value) override;
    QString GetNormalImage() const { return m_normalImage; }
    void SetNormalImage(const QString& image);
    // The user's click, for the toolkit's own activation of a button.
    void Activate();
    // Picture buttons tell their window when the pointer enters and leaves them.
    void SetHoverNotify(bool notify) { m_hoverNotify = notify; }

protected:
    void ApplyText(const QString& shown) override { setText(shown); }
    // The status image matching the button's state, or false when it has none.
    bool PaintStatusImage(QPainter& painter);
    bool IsHot() const { return underMouse(); }
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_normalImage;
    QString m_hotImage;
    QString m_pushedImage;
    QString m_disabledImage;
    bool m_hoverNotify = false;
};

}  // namespace quaro
