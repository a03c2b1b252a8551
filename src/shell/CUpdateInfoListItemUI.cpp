#include "shell/CUpdateInfoListItemUI.h"

#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/WindowImplBase.h"

#include <QContextMenuEvent>
#include <QPainter>

namespace quaro {
namespace {

constexpr CUpdateInfoListItemUI::OptionColors kPlainColors{0xFFFFFFFF, 0xFF666666, 0xFFFFFFFF};
constexpr CUpdateInfoListItemUI::OptionColors kOfferColors{0xFF0099FF, 0xFF0078C8, 0xFF0099FF};

QString CssColor(uint32_t argb) {
    return ToQColor(argb).name(QColor::HexArgb);
}

}  // namespace

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent) : CListContainerElementUI(parent) {
    setFixedHeight(kHeight);
}

void CUpdateInfoListItemUI::DoInit() {
    ApplyColors();
}

bool CUpdateInfoListItemUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"menu") {
        SetContextMenuUsed(value.compare(u"true", Qt::CaseInsensitive) == 0);
        return true;
    }
    return CListContainerElementUI::SetAttribute(name, value);
}

bool CUpdateInfoListItemUI::RaiseMenu() {
    if (!m_contextMenu || !isEnabled()) {
        return false;
    }
    SendNotify(notify::kMenu);
    return true;
}

void CUpdateInfoListItemUI::contextMenuEvent(QContextMenuEvent* event) {
    // The platform decides what opens a context menu (a right press or release, the menu key);
    // right clicks on the row's enabled parts come up here as well.
    event->setAccepted(RaiseMenu());
}

bool CUpdateInfoListItemUI::event(QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType()) {
            child->installEventFilter(this);
        }
    }
    return CListContainerElementUI::event(event);
}

bool CUpdateInfoListItemUI::eventFilter(QObject* watched, QEvent* event) {
    // A disabled part (the name option of a line with nothing to do) swallows right clicks
    // instead of passing them up, yet they are still clicks on the row.
    if (event->type() == QEvent::ContextMenu && watched->isWidgetType() &&
        !static_cast<QWidget*>(watched)->isEnabled()) {
        if (RaiseMenu()) {
            event->accept();
            return true;
        }
    }
    return CListContainerElementUI::eventFilter(watched, event);
}

COptionUI* CUpdateInfoListItemUI::Option() const {
    // Found on first use: a row built on its own from the fragment is not initialised by a
    // window's tree.
    if (m_option == nullptr) {
        m_option = dynamic_cast<COptionUI*>(Part("check_name_select"));
    }
    return m_option;
}

CControlUI* CUpdateInfoListItemUI::Part(const char* name) const {
    return WindowImplBase::FindSubControlByName(const_cast<CUpdateInfoListItemUI*>(this),
                                                QLatin1String(name));
}

const char* CUpdateInfoListItemUI::StateTextKey(int state) {
    switch (state) {
        case 0:
            return "LessUpdateText";
        case 1:
        case 2:
            return "NeedUpdateText";
        case 3:
            return "DownloadWaitText";
        case 4:
            return "DownloadIngText";
        case 5:
            return "DownloadOkText";
        case 6:
            return "UpdateIngText";
        case 7:
            return "UpdateOkText";
        case 8:
            return "UpdateFailText";
        default:
            return "";
    }
}

CUpdateInfoListItemUI::OptionColors CUpdateInfoListItemUI::StateColors(int state) {
    return state == 0 || state == 7 ? kPlainColors : kOfferColors;
}

void CUpdateInfoListItemUI::SetState(int state) {
    if (state == m_state || state < 0 || state > 8) {
        return;
    }
    m_state = state;
    if (CControlUI* text = Part("update_status_text")) {
        text->SetResourceText(true);
        text->SetText(QLatin1String(StateTextKey(state)));
    }
    const bool busy = state == 4 || state == 6;
    if (CControlUI* ing = Part("update_status_ing")) {
        ing->SetVisible(busy);
    }
    if (state == 4) {
        SetPercent(0);
    }
    if (CControlUI* ok = Part("update_status_ok")) {
        ok->SetVisible(state == 5);
    }
    SetOptionEnabled(state == 1 || state == 2 || state == 8);
    m_colors = StateColors(state);
    ApplyColors();
}

void CUpdateInfoListItemUI::ApplyColors() {
    if (Option() == nullptr) {
        return;
    }
    Option()->GetWidget()->setStyleSheet(
        QStringLiteral("QAbstractButton { color: %1; } QAbstractButton:checked { color: %2; } "
                       "QAbstractButton:disabled { color: %3; }")
            .arg(CssColor(m_colors.text), CssColor(m_colors.selected),
                 CssColor(m_colors.disabled)));
}

void CUpdateInfoListItemUI::SetName(const QString& name) {
    if (Option() != nullptr) {
        Option()->SetText(name);
    }
}

void CUpdateInfoListItemUI::SetCurrentVersion(const QString& text) {
    if (CControlUI* label = Part("OldRev")) {
        label->SetText(text);
    }
}

void CUpdateInfoListItemUI::SetNewestVersion(const QString& text) {
    if (CControlUI* label = Part("updateRev")) {
        label->SetText(text);
        label->SetVisible(!text.isEmpty());
    }
}

void CUpdateInfoListItemUI::SetPercent(int percent) {
    if (CControlUI* value = Part("update_progress_value")) {
        value->SetText(QStringLiteral("%1%").arg(percent));
    }
}

void CUpdateInfoListItemUI::SetTicked(bool ticked) {
    if (Option() != nullptr && Option()->IsSelected() != ticked) {
        Option()->Selected(ticked, false);
    }
}

bool CUpdateInfoListItemUI::IsTicked() const {
    return Option() != nullptr && Option()->IsSelected();
}

void CUpdateInfoListItemUI::SetOptionEnabled(bool enabled) {
    if (Option() != nullptr) {
        Option()->SetEnabled(enabled);
    }
}

bool CUpdateInfoListItemUI::IsOptionEnabled() const {
    return Option() != nullptr && Option()->IsEnabled();
}

void CUpdateInfoListItemUI::paintEvent(QPaintEvent* event) {
    CListContainerElementUI::paintEvent(event);
    // A line the user could still tick shows where the pointer is.
    if (IsHot() && !IsTicked() && IsOptionEnabled()) {
        if (CListUI* list = GetOwner()) {
            QPainter painter(this);
            painter.setPen(ToQColor(list->GetHotBorderColor()));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }
}

}  // namespace quaro
