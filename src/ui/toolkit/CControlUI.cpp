#include "ui/toolkit/CControlUI.h"

#include "ui/toolkit/CRenderEngine.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CWindowWnd.h"

#include <QTimer>

#include <utility>

namespace quaro {

CControlUI::CControlUI(QWidget* self) : m_self(self) {}

CControlUI::~CControlUI() {
    if (m_resources != nullptr) {
        m_resources->ForgetControl(this);
    }
}

QString CControlUI::GetName() const {
    return m_self->objectName();
}

void CControlUI::SetName(const QString& name) {
    m_self->setObjectName(name);
}

void CControlUI::SetText(const QString& text) {
    m_text = text;
    ApplyText(GetShownText());
}

void CControlUI::SetResourceText(bool isLanguageId) {
    if (m_resourceText == isLanguageId) {
        return;
    }
    m_resourceText = isLanguageId;
    ApplyText(GetShownText());
}

QString CControlUI::GetShownText() const {
    if (!m_resourceText || m_resources == nullptr) {
        return m_text;
    }
    return m_resources->GetText(m_text);
}

void CControlUI::ReloadText() {
    ApplyText(GetShownText());
    if (!m_toolTip.isEmpty()) {
        SetToolTip(m_toolTip);
    }
}

void CControlUI::SetToolTip(const QString& tip) {
    m_toolTip = tip;
    // Tool tips in layouts are language ids like every other visible text.
    m_self->setToolTip(m_resources != nullptr ? m_resources->GetText(tip) : tip);
}

void CControlUI::SetVisible(bool visible) {
    m_self->setVisible(visible);
}

bool CControlUI::IsVisible() const {
    return !m_self->isHidden();
}

void CControlUI::SetEnabled(bool enabled) {
    m_self->setEnabled(enabled);
}

bool CControlUI::IsEnabled() const {
    return m_self->isEnabled();
}

void CControlUI::SetBkColor(uint32_t argb) {
    m_bkColor = argb;
    m_self->update();
}

void CControlUI::SetBkImage(const QString& image) {
    m_bkImage = image;
    m_self->update();
}

void CControlUI::SetForeImage(const QString& image) {
    m_foreImage = image;
    m_self->update();
}

void CControlUI::SetFont(int id) {
    m_font = id;
    ApplyFont();
}

void CControlUI::ApplyFont() {
    if (m_font >= 0 && m_resources != nullptr) {
        m_self->setFont(m_resources->GetFont(m_font));
    }
}

bool CControlUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"name") {
        SetName(value);
    } else if (name == u"text") {
        QString id;
        if (ParseLanguageText(value, id)) {
            m_resourceText = true;
            SetText(id);
        } else {
            SetText(value);
        }
    } else if (name == u"resourcetext") {
        SetResourceText(ParseBool(value));
    } else if (name == u"tooltip") {
        SetToolTip(value);
    } else if (name == u"userdata") {
        SetUserData(value);
    } else if (name == u"visible") {
        SetVisible(ParseBool(value));
    } else if (name == u"enabled") {
        SetEnabled(ParseBool(value));
    } else if (name == u"bkcolor") {
        SetBkColor(ParseColor(value));
    } else if (name == u"bkimage") {
        SetBkImage(value);
    } else if (name == u"foreimage") {
        SetForeImage(value);
    } else if (name == u"font") {
        SetFont(value.toInt());
    } else if (name == u"width") {
        m_self->setFixedWidth(value.toInt());
    } else if (name == u"height") {
        m_self->setFixedHeight(value.toInt());
    } else if (name == u"minwidth") {
        m_self->setMinimumWidth(value.toInt());
    } else if (name == u"minheight") {
        m_self->setMinimumHeight(value.toInt());
    } else if (name == u"maxwidth") {
        m_self->setMaximumWidth(value.toInt());
    } else if (name == u"maxheight") {
        m_self->setMaximumHeight(value.toInt());
    } else if (name == u"style") {
        // The style sheet's selector for a family of controls ([skin="..."]).
        m_self->setProperty("skin", value);
    } else if (name == u"cursor") {
        if (value == u"hand") {
            m_self->setCursor(Qt::PointingHandCursor);
        }
    } else {
        return false;
    }
    return true;
}

void CControlUI::Invalidate() {
    m_self->update();
}

void CControlUI::SetResourceManager(CResourceManager* resources) {
    if (m_resources == resources) {
        return;
    }
    if (m_resources != nullptr) {
        m_resources->ForgetControl(this);
    }
    m_resources = resources;
    if (m_resources != nullptr) {
        m_resources->RememberControl(this);
    }
}

CWindowWnd* CControlUI::GetManager() const {
    for (QWidget* widget = m_self; widget != nullptr; widget = widget->parentWidget()) {
        if (auto* window = dynamic_cast<CWindowWnd*>(widget)) {
            return window;
        }
    }
    return nullptr;
}

void CControlUI::SendNotify(const QString& type, WPARAM wParam, LPARAM lParam) {
    if (CWindowWnd* window = GetManager()) {
        TNotifyUI msg{type, this, wParam, lParam};
        window->DeliverNotify(msg);
    }
}

void CControlUI::SetTimer(int id, int milliseconds) {
    auto found = m_timers.find(id);
    QTimer* timer = found != m_timers.end() ? found->second : nullptr;
    if (timer == nullptr) {
        timer = new QTimer(m_self);
        QObject::connect(timer, &QTimer::timeout, m_self, [this, id] { OnTimer(id); });
        m_timers[id] = timer;
    }
    timer->start(milliseconds);
}

void CControlUI::KillTimer(int id) {
    auto found = m_timers.find(id);
    if (found != m_timers.end()) {
        found->second->stop();
    }
}

bool CControlUI::HasTimer(int id) const {
    auto found = m_timers.find(id);
    return found != m_timers.end() && found->second->isActive();
}

void CControlUI::OnTimer(int id) {
    SendNotify(notify::kTimer, static_cast<WPARAM>(id));
}

void CControlUI::PaintBackground(QPainter& painter) {
    const QRect area = m_self->rect();
    if (m_bkColor != 0) {
        painter.fillRect(area, ToQColor(m_bkColor));
    }
    if (!m_bkImage.isEmpty()) {
        CRenderEngine::DrawImageString(painter, area, m_bkImage, m_resources);
    }
}

void CControlUI::PaintForeground(QPainter& painter) {
    CRenderEngine::DrawImageString(painter, m_self->rect(), m_foreImage, m_resources);
}

bool CControlUI::DeferPolish(QEvent* event) {
    switch (event->type()) {
        case QEvent::Polish:
            if (!m_self->isVisible()) {
                m_polishDeferred = true;
                return true;
            }
            m_styled = true;
            return false;
        case QEvent::StyleChange:
            if (!m_styled && !m_self->isVisible()) {
                m_styleChangeDeferred = true;
                return true;
            }
            return false;
        case QEvent::Show:
            RunDeferredPolish();
            return false;
        default:
            return false;
    }
}

void CControlUI::RunDeferredPolish() {
    if (!m_polishDeferred && !m_styleChangeDeferred) {
        return;
    }
    // Children are shown before their parent: the nearest enclosing control goes first, and it
    // sees to its own.
    for (QWidget* up = m_self->parentWidget(); up != nullptr; up = up->parentWidget()) {
        if (CControlUI* control = AsControl(up)) {
            control->RunDeferredPolish();
            break;
        }
    }
    m_styled = true;
    if (std::exchange(m_polishDeferred, false)) {
        ReplayStyleEvent(QEvent::Polish);
    }
    if (std::exchange(m_styleChangeDeferred, false)) {
        ReplayStyleEvent(QEvent::StyleChange);
    }
}

CControlUI* AsControl(QObject* object) {
    return dynamic_cast<CControlUI*>(object);
}

uint32_t ParseColor(const QString& text) {
    QString digits = text.trimmed();
    bool ok = false;
    uint32_t value = 0;
    if (digits.startsWith(u'#')) {
        digits.remove(0, 1);
        value = digits.toUInt(&ok, 16);
        if (ok && digits.size() <= 6) {
            value |= 0xFF000000u;
        }
    } else if (digits.startsWith(u"0x", Qt::CaseInsensitive)) {
        value = digits.mid(2).toUInt(&ok, 16);
    } else {
        value = digits.toUInt(&ok, 10);
    }
    return ok ? value : 0;
}

QColor ToQColor(uint32_t argb) {
    return QColor::fromRgba(argb);
}

bool ParseBool(const QString& text) {
    return text.compare(u"true", Qt::CaseInsensitive) == 0;
}

bool ParseLanguageText(const QString& text, QString& id) {
    if (text.size() < 3 || !text.startsWith(u"%[") || !text.endsWith(u']')) {
        return false;
    }
    id = text.mid(2, text.size() - 3);
    return true;
}

QMargins ParseMargins(const QString& text) {
    const QStringList parts = text.split(u',');
    int values[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && i < parts.size(); ++i) {
        values[i] = parts[i].trimmed().toInt();
    }
    return QMargins(values[0], values[1], values[2], values[3]);
}

QSize ParseSize(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() < 2) {
        return {};
    }
    return QSize(parts[0].trimmed().toInt(), parts[1].trimmed().toInt());
}

}  // namespace quaro
