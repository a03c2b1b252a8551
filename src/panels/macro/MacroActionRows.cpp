#include "panels/macro/MacroActionRows.h"

#include "profiles/JsonFileStore.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CLabelUI.h"

#include <QStyle>

#include <algorithm>
#include <utility>

namespace quaro {
namespace {

constexpr int kNameChild = 0;
constexpr int kActionChild = 1;
constexpr int kDelayChild = 2;
constexpr int kKeyboardTextInset = 3;
constexpr int kActionWidth = 120;
constexpr int kDelayWidth = 90;

QString NameStyle(MacroNameStyle style) {
    switch (style) {
        case MacroNameStyle::kKeyboard:
            return QStringLiteral("macro_label_keyboard_style");
        case MacroNameStyle::kMouse:
            return QStringLiteral("macro_label_mouse_style");
        case MacroNameStyle::kNone:
            break;
    }
    return {};
}

QString ActionStyle(MacroActionStyle style) {
    switch (style) {
        case MacroActionStyle::kDown:
            return QStringLiteral("macro_label_down_style");
        case MacroActionStyle::kUp:
            return QStringLiteral("macro_label_up_style");
        case MacroActionStyle::kText:
            return QStringLiteral("macro_label_text_style");
        case MacroActionStyle::kNone:
            break;
    }
    return {};
}

// A style given after the control was shown must be polished again to show.
void SetSkin(CControlUI* control, const QString& style) {
    control->SetAttribute(QStringLiteral("style"), style);
    QWidget* widget = control->GetWidget();
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}

void ShowName(CLabelUI* label, const MacroRowLook& look) {
    label->SetResourceText(true);
    label->SetText(QString::fromStdString(look.captionId));
    SetSkin(label, NameStyle(look.nameStyle));
    label->setContentsMargins(look.nameStyle == MacroNameStyle::kKeyboard ? kKeyboardTextInset : 0,
                              0, 0, 0);
}

QString EventText(const Json::Value& event) {
    return QString::fromStdString(JsonFileStore::FormatDocument(event));
}

}  // namespace

Json::Value ParseRowEvent(const QString& userData) {
    if (userData.isEmpty()) {
        return Json::Value();
    }
    const QByteArray text = userData.toUtf8();
    return JsonFileStore::ParseDocument(std::string_view(text.constData(), text.size()));
}

MacroActionRows::MacroActionRows(InnerControl<CListUI>& list, InnerControl<CControlUI>& stopButton,
                                 std::function<void()> showSoon)
    : m_list(list), m_stopButton(stopButton), m_showSoon(std::move(showSoon)) {}

int MacroActionRows::RowCount() const {
    CListUI* list = m_list.Get();
    return list == nullptr ? 0 : list->GetCount();
}

int MacroActionRows::SelectedRow() const {
    CListUI* list = m_list.Get();
    return list == nullptr ? -1 : list->GetCurSel();
}

CListContainerElementUI* MacroActionRows::Row(int index) const {
    CListUI* list = m_list.Get();
    return list == nullptr ? nullptr
                           : dynamic_cast<CListContainerElementUI*>(list->GetItemAt(index));
}

CEditUI* MacroActionRows::DelayEdit(int index) const {
    CListContainerElementUI* row = Row(index);
    return row == nullptr ? nullptr : dynamic_cast<CEditUI*>(row->GetItemAt(kDelayChild));
}

CListContainerElementUI* MacroActionRows::BuildRow(const Json::Value& event,
                                                   const MacroRowLook& look,
                                                   const QString& delay) const {
    CListUI* list = m_list.Get();
    CResourceManager* resources = list == nullptr ? nullptr : list->GetResourceManager();
    auto* row = new CListContainerElementUI;
    row->SetName(QStringLiteral("macro_action"));
    row->setFixedHeight(kRowHeight);
    row->SetAttribute(QStringLiteral("childvalign"), QStringLiteral("vcenter"));
    row->SetAttribute(QStringLiteral("inset"), QStringLiteral("10,0,10,0"));
    row->SetAttribute(QStringLiteral("childpadding"), QStringLiteral("8"));

    auto* name = new CLabelUI;
    name->SetResourceManager(resources);
    ShowName(name, look);
    row->Add(name);

    auto* action = new CLabelUI;
    action->SetResourceManager(resources);
    action->setFixedWidth(kActionWidth);
    if (look.actionStyle == MacroActionStyle::kText) {
        action->SetText(QString::fromStdString(look.actionText));
    } else if (look.actionStyle != MacroActionStyle::kNone) {
        action->SetResourceText(true);
        action->SetText(look.actionStyle == MacroActionStyle::kDown
                            ? QStringLiteral("macro_action_down")
                            : QStringLiteral("macro_action_up"));
    }
    SetSkin(action, ActionStyle(look.actionStyle));
    row->Add(action);

    auto* edit = new CEditUI;
    edit->SetResourceManager(resources);
    edit->SetName(QStringLiteral("macro_delay"));
    edit->SetAttribute(QStringLiteral("style"), QStringLiteral("macro_label_text_style"));
    edit->SetBkColor(kDelayEditColour);
    edit->setFixedHeight(kDelayEditHeight);
    edit->setFixedWidth(kDelayWidth);
    edit->SetMaxChar(kDelayDigits);
    edit->SetNumberOnly(true);
    edit->SetMinValue(0);
    edit->SetMaxValue(MacroRecorder::kMaxDelay);
    edit->SetText(delay);
    row->Add(edit);

    row->SetUserData(EventText(event));
    return row;
}

void MacroActionRows::InsertRow(int index, const MacroRow& row) {
    CListUI* list = m_list.Get();
    if (list == nullptr) {
        return;
    }
    const Json::Value& delay = row.event["Delay"];
    const QString shown =
        delay.isString() ? QString::fromStdString(delay.asString()) : QString::number(0);
    list->AddAt(BuildRow(row.event, row.look, shown), index);
}

Json::Value MacroActionRows::RowEvent(int index) const {
    CListContainerElementUI* row = Row(index);
    return row == nullptr ? Json::Value() : ParseRowEvent(row->GetUserData());
}

void MacroActionRows::SetRowDelay(int index, const std::string& delay) {
    CListContainerElementUI* row = Row(index);
    if (row == nullptr) {
        return;
    }
    if (CEditUI* edit = DelayEdit(index)) {
        edit->SetText(QString::fromStdString(delay));
    }
    Json::Value event = ParseRowEvent(row->GetUserData());
    if (event.isObject()) {
        event["Delay"] = delay;
        row->SetUserData(EventText(event));
    }
}

void MacroActionRows::SetRowName(int index, const Json::Value& event, const MacroRowLook& look) {
    CListContainerElementUI* row = Row(index);
    if (row == nullptr) {
        return;
    }
    if (auto* name = dynamic_cast<CLabelUI*>(row->GetItemAt(kNameChild))) {
        ShowName(name, look);
    }
    row->SetUserData(EventText(event));
}

void MacroActionRows::SelectRow(int index) {
    if (CListUI* list = m_list.Get()) {
        list->SelectItem(index, false, false);
    }
}

void MacroActionRows::ShowSelectionSoon() {
    if (m_showSoon) {
        m_showSoon();
    }
}

bool MacroActionRows::IsOnStopButton(int x, int y) const {
    CControlUI* button = m_stopButton.Get();
    if (button == nullptr || !button->IsVisible()) {
        return false;
    }
    const QWidget* widget = button->GetWidget();
    const QRect screen(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    return screen.contains(x, y);
}

void MacroActionRows::AppendStored(const Json::Value& event) {
    CListUI* list = m_list.Get();
    if (list == nullptr) {
        return;
    }
    const QString delay = QString::fromStdString(MacroRecorder::DelayText(event));
    list->Add(BuildRow(event, MacroRecorder::LookOfEvent(event), delay));
}

void MacroActionRows::RemoveAll() {
    if (CListUI* list = m_list.Get()) {
        list->RemoveAll();
    }
}

void MacroActionRows::RemoveSelected() {
    CListUI* list = m_list.Get();
    if (list != nullptr && list->GetCurSel() >= 0) {
        list->Remove(list->GetItemAt(list->GetCurSel()));
    }
}

bool MacroActionRows::MoveSelected(int index) {
    CListUI* list = m_list.Get();
    const int selected = SelectedRow();
    if (list == nullptr || selected < 0) {
        return false;
    }
    index = std::clamp(index, 0, list->GetCount() - 1);
    if (index == selected) {
        return false;
    }
    // Rebuilt from its user data: a delay typed and not yet saved does not travel with it.
    const Json::Value event = RowEvent(selected);
    list->Remove(list->GetItemAt(selected));
    list->AddAt(BuildRow(event, MacroRecorder::LookOfEvent(event),
                         QString::fromStdString(MacroRecorder::DelayText(event))),
                index);
    list->SelectItem(index, false, false);
    return true;
}

std::vector<MacroEvent> MacroActionRows::TakeEventsForSave() {
    std::vector<MacroEvent> events;
    for (int index = 0; index < RowCount(); ++index) {
        CListContainerElementUI* row = Row(index);
        Json::Value event = ParseRowEvent(row->GetUserData());
        if (!event.isObject()) {
            break;
        }
        CEditUI* edit = DelayEdit(index);
        const QString typed = edit == nullptr ? QString() : edit->GetEditText();
        event["Delay"] = typed.isEmpty() ? std::string("0") : typed.toStdString();
        // The stored form: the delay as clamped decimal text, whatever the edit held.
        const MacroEvent parsed = ParseMacroEvent(event);
        event["Delay"] = std::to_string(parsed.delay);
        row->SetUserData(EventText(event));
        events.push_back(parsed);
    }
    return events;
}

}  // namespace quaro
