#pragma once

#include "ui/toolkit/UIDefs.h"

#include <QEvent>
#include <QFocusEvent>
#include <QPainter>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <map>

class QTimer;

namespace quaro {

class CResourceManager;
class CWindowWnd;

// What every control of a layout has, whatever Qt widget it is built on: a name, a text that may
// be a language id, user data, a background, per-control timers and a way to raise
// notifications to its window. Concrete controls combine it with a Qt widget (CControlOn).
class CControlUI {
public:
    explicit CControlUI(QWidget* self);
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    QWidget* GetWidget() const { return m_self; }
    // The class name a layout's tag resolves to, as the toolkit reports it.
    virtual QString GetClass() const { return QStringLiteral("Control"); }

    QString GetName() const;
    void SetName(const QString& name);

    // The text as set: a finished text, or a language id when resource text is on.
    QString GetText() const { return m_text; }
    void SetText(const QString& text);
    void SetResourceText(bool isLanguageId);
    bool IsResourceText() const { return m_resourceText; }
    // The text the user sees: the language id resolved through the resource manager.
    QString GetShownText() const;
    void ReloadText();

    QString GetUserData() const { return m_userData; }
    void SetUserData(const QString& data) { m_userData = data; }
    QString GetToolTip() const { return m_toolTip; }
    void SetToolTip(const QString& tip);

    void SetVisible(bool visible);
    bool IsVisible() const;
    void SetEnabled(bool enabled);
    bool IsEnabled() const;

    // 0xAARRGGBB; 0 means no background colour.
    uint32_t GetBkColor() const { return m_bkColor; }
    void SetBkColor(uint32_t argb);
    QString GetBkImage() const { return m_bkImage; }
    void SetBkImage(const QString& image);
    QString GetForeImage() const { return m_foreImage; }
    void SetForeImage(const QString& image);
    // Font id of the resource manager's table; -1 keeps the window's default font.
    int GetFont() const { return m_font; }
    void SetFont(int id);
    void ApplyFont();

    // A layout attribute. False when the control does not know it.
    virtual bool SetAttribute(const QString& name, const QString& value);
    void Invalidate();

    void SetResourceManager(CResourceManager* resources);
    CResourceManager* GetResourceManager() const { return m_resources; }
    // The window whose tree holds this control, or null while it is not in one.
    CWindowWnd* GetManager() const;
    void SendNotify(const QString& type, WPARAM wParam = 0, LPARAM lParam = 0);

    // Called once the builder has put the control (and its children) into the tree.
    virtual void DoInit() {}

    // Per-control timers: each expiry calls OnTimer with the id until killed.
    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);
    bool HasTimer(int id) const;
    virtual void OnTimer(int id);

    // Whether the style has polished this control; a control polished only when first shown
    // answers false while it has never been shown.
    bool IsStylePolished() const { return !m_polishDeferred; }

protected:
    // The style sheet's polish gives each widget its own palette, font and rule caches (about
    // 10 KiB each), and a style change makes a widget ask the style for its metrics, which
    // fills the caches too. Controls never shown (panels and pages behind others) need pay for
    // neither. Qt polishes every widget shortly after it is made, shown or not, and a page put
    // into its place gets a style change for every widget in it: a control not shown and not
    // styled yet keeps both for its first show, where enclosing controls still waiting go
    // first, as Qt polishes parents before children.
    bool DeferPolish(QEvent* event);
    // Hands a held Polish or StyleChange to the widget's own handling.
    virtual void ReplayStyleEvent(QEvent::Type type) { (void)type; }
    // Shows the resolved text in the widget; controls without a text ignore it.
    virtual void ApplyText(const QString& shown) { (void)shown; }
    // Background colour, background image and foreground image over the whole widget.
    void PaintBackground(QPainter& painter);
    void PaintForeground(QPainter& painter);
    bool HasBackground() const { return m_bkColor != 0 || !m_bkImage.isEmpty(); }

private:
    void RunDeferredPolish();

    QWidget* m_self;
    bool m_polishDeferred = false;
    bool m_styleChangeDeferred = false;
    bool m_styled = false;
    CResourceManager* m_resources = nullptr;
    QString m_text;
    bool m_resourceText = false;
    QString m_userData;
    QString m_toolTip;
    uint32_t m_bkColor = 0;
    QString m_bkImage;
    QString m_foreImage;
    int m_font = -1;
    std::map<int, QTimer*> m_timers;
};

// A control on a given Qt widget: paints the toolkit background under the widget's own drawing
// and turns focus changes into notifications.
template <class QtBase>
class CControlOn : public QtBase, public CControlUI {
public:
    explicit CControlOn(QWidget* parent = nullptr) : QtBase(parent), CControlUI(this) {
        // Lets the style sheet paint plain containers too.
        this->setAttribute(Qt::WA_StyledBackground, true);
    }

protected:
    bool event(QEvent* event) override { return DeferPolish(event) || QtBase::event(event); }
    void ReplayStyleEvent(QEvent::Type type) override {
        QEvent held(type);
        QtBase::event(&held);
    }
    void paintEvent(QPaintEvent* event) override {
        if (HasBackground()) {
            QPainter painter(this);
            PaintBackground(painter);
        }
        QtBase::paintEvent(event);
        if (!GetForeImage().isEmpty()) {
            QPainter painter(this);
            PaintForeground(painter);
        }
    }
    void focusInEvent(QFocusEvent* event) override {
        QtBase::focusInEvent(event);
        SendNotify(notify::kSetFocus);
    }
    void focusOutEvent(QFocusEvent* event) override {
        QtBase::focusOutEvent(event);
        SendNotify(notify::kKillFocus);
    }
};

// "min", "max" and "value" of a control with a value range; false for other attributes.
template <class RangedControl>
bool SetRangeAttribute(RangedControl& control, const QString& name, const QString& value) {
    if (name == u"min") {
        control.SetMinValue(value.toInt());
    } else if (name == u"max") {
        control.SetMaxValue(value.toInt());
    } else if (name == u"value") {
        control.SetValue(value.toInt());
    } else {
        return false;
    }
    return true;
}

// Null when the widget is not a control.
CControlUI* AsControl(QObject* object);

// Parses "#AARRGGBB", "#RRGGBB", "0xAARRGGBB" or a decimal number; 0 when it is none of them.
uint32_t ParseColor(const QString& text);
QColor ToQColor(uint32_t argb);
bool ParseBool(const QString& text);
// A layout text written "%[id]" names a language id; true and the id when it is one.
bool ParseLanguageText(const QString& text, QString& id);
// "l,t,r,b" (missing values are 0).
QMargins ParseMargins(const QString& text);
// "w,h".
QSize ParseSize(const QString& text);

}  // namespace quaro

namespace quaro {

// The layouts' plain "Control": a background and a size, often just a spacer.
class CPlainControlUI : public CControlOn<QWidget> {
public:
    explicit CPlainControlUI(QWidget* parent = nullptr) : CControlOn<QWidget>(parent) {
        // Without a size of its own it takes what its layout leaves, as a spacer should.
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
};

}  // namespace quaro
