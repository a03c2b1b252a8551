#pragma once

#include "ui/toolkit/CListUI.h"

#include <cstdint>

namespace quaro {

class COptionUI;

// One line of the settings window's update list, built from its layout fragment: the line's
// name on a tick option, current and newest version, the state text, a busy indicator with a
// percentage, and a done mark. The state decides texts, marks and the option's colours.
class CUpdateInfoListItemUI : public CListContainerElementUI {
public:
    static constexpr const char* kFragment = "XML/CustomControlXML/device_Update_list_item.xml";
    static constexpr int kHeight = 50;

    struct OptionColors {
        uint32_t text;
        uint32_t disabled;
        uint32_t selected;
    };

    explicit CUpdateInfoListItemUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("UpdateInfoListItem"); }
    void DoInit() override;
    // "menu": "true" makes a right click raise "menu".
    bool SetAttribute(const QString& name, const QString& value) override;
    bool IsContextMenuUsed() const { return m_contextMenu; }
    void SetContextMenuUsed(bool used) { m_contextMenu = used; }

    int GetState() const { return m_state; }
    // Setting the state the row already has changes nothing.
    void SetState(int state);
    // The language id the state shows.
    static const char* StateTextKey(int state);
    static OptionColors StateColors(int state);
    OptionColors GetOptionColors() const { return m_colors; }

    void SetName(const QString& name);
    void SetCurrentVersion(const QString& text);
    // Hidden while empty.
    void SetNewestVersion(const QString& text);
    void SetPercent(int percent);
    void SetTicked(bool ticked);
    bool IsTicked() const;
    void SetOptionEnabled(bool enabled);
    bool IsOptionEnabled() const;
    COptionUI* Option() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CControlUI* Part(const char* name) const;
    void ApplyColors();
    // True when the right click was taken as the row's "menu".
    bool RaiseMenu();

    mutable COptionUI* m_option = nullptr;
    int m_state = -1;
    bool m_contextMenu = false;
    OptionColors m_colors{0xFFFFFFFF, 0xFF666666, 0xFFFFFFFF};
};

}  // namespace quaro
