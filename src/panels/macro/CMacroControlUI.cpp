#include "panels/macro/CMacroControlUI.h"

#include "devices/keyboard/MacroMouseTable.h"
#include "platform/Trace.h"
#include "profiles/JsonAccess.h"
#include "profiles/JsonFileStore.h"
#include "profiles/MacroLibrary.h"

#include <QApplication>
#include <QEvent>

#include <algorithm>

namespace quaro {
namespace {

constexpr const char* kDistanceEdits[] = {"mouse_x_left_edit", "mouse_x_right_edit",
                                          "mouse_y_up_edit", "mouse_y_down_edit"};

// Leading decimal digits of an edit's text; nothing readable counts as 0.
long long DecimalOf(const QString& text) {
    long long value = 0;
    for (const QChar c : text.trimmed()) {
        if (!c.isDigit()) {
            break;
        }
        value = value * 10 + c.digitValue();
        if (value > 0xFFFFFFFFLL) {
            break;
        }
    }
    return value;
}

bool IsClickEvent(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick;
}

}  // namespace

// While recording, the macro list and the event rows take no clicks: a click there would change
// the macro or the row the recording goes into. Rows that the recording adds are covered too, as
// the filter asks for the widget's ancestry at the time of the click.
class CMacroControlUI::MouseLock : public QObject {
public:
    explicit MouseLock(std::vector<QPointer<QWidget>> areas) : m_areas(std::move(areas)) {
        qApp->installEventFilter(this);
    }
    ~MouseLock() override { qApp->removeEventFilter(this); }
    MouseLock(const MouseLock&) = delete;
    MouseLock& operator=(const MouseLock&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsClickEvent(event->type()) || !watched->isWidgetType()) {
            return false;
        }
        const auto* widget = static_cast<QWidget*>(watched);
        for (const QPointer<QWidget>& area : m_areas) {
            if (area != nullptr && (area == widget || area->isAncestorOf(widget))) {
                return true;
            }
        }
        return false;
    }

private:
    std::vector<QPointer<QWidget>> m_areas;
};

CMacroControlUI::CMacroControlUI(QWidget* parent)
    : CHorizontalLayoutUI(parent),
      m_nameList(this, QStringLiteral("macro_name_list")),
      m_actionLayout(this, QStringLiteral("macro_action_layout")),
      m_actionList(this, QStringLiteral("macro_action_list")),
      m_renameEdit(this, QStringLiteral("macro_edit_macroname")),
      m_constantOption(this, QStringLiteral("macro_check_time")),
      m_constantEdit(this, QStringLiteral("macro_fixed_time_edit")),
      m_startButton(this, QStringLiteral("macro_btn_starredio")),
      m_stopButton(this, QStringLiteral("macro_btn_stopredio")),
      m_nameTab(this, QStringLiteral("macro_name_tab")),
      m_actionTab(this, QStringLiteral("macro_tab_macroaction_edit")),
      m_delayTab(this, QStringLiteral("macro_tab_macrodelay_edit")),
      m_rows(m_actionList, m_stopButton, [this] { SetTimer(kScrollTimer, kScrollDelayMs); }) {
    for (const char* name : kDistanceEdits) {
        m_distanceEdits.emplace_back(this, QLatin1String(name));
    }
}

CMacroControlUI::~CMacroControlUI() = default;

void CMacroControlUI::DoInit() {
    if (CEditUI* edit = m_constantEdit.Get()) {
        edit->SetText(QString::number(m_recorder.ConstantDelay()));
        QObject::connect(edit, &QLineEdit::textChanged, edit, [this] { TakeConstantDelay(); });
    }
    SetRecordingUI(true);
    EnableActions(false);
}

// --- the library ---

CListLabelElementUI* CMacroControlUI::MakeNameItem(const QString& name, const QString& guid) const {
    auto* item = new CListLabelElementUI;
    item->setFixedHeight(kNameItemHeight);
    item->SetText(name);
    item->SetUserData(guid);
    return item;
}

void CMacroControlUI::LoadMacroList() {
    if (m_folder.empty()) {
        return;
    }
    // Loaded again on a second set-up: the list shows the library once, not twice.
    m_names.clear();
    m_rows.RemoveAll();
    CListUI* list = m_nameList.Get();
    if (list != nullptr) {
        list->RemoveAll();
    }
    const MacroLibrary library(m_folder);
    const std::vector<std::string> names = library.Names();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QString name = QString::fromStdString(names[i]);
        m_names.push_back(name);
        if (list != nullptr) {
            const std::string guid = library.EventFilePath(static_cast<int>(i)).stem().string();
            list->Add(MakeNameItem(name, QString::fromStdString(guid)));
        }
    }
    EnableActions(false);
}

QString CMacroControlUI::AddMacro() {
    CListUI* list = m_nameList.Get();
    if (list == nullptr || list->GetCount() >= kMaxMacros || m_folder.empty()) {
        return {};
    }
    MacroLibrary library(m_folder);
    const std::string name = library.Add();
    if (name.empty()) {
        return {};
    }
    const int number = library.Count() - 1;
    const QString shown = QString::fromStdString(name);
    m_names.push_back(shown);
    list->Add(
        MakeNameItem(shown, QString::fromStdString(library.EventFilePath(number).stem().string())));
    list->SelectItem(list->GetCount() - 1, false, false);
    LoadSelectedMacro();
    return shown;
}

int CMacroControlUI::DeleteMacro() {
    CListUI* list = m_nameList.Get();
    const int selected = GetSelectedMacro();
    if (list == nullptr || selected < 0 || list->GetCount() == 0) {
        return -1;
    }
    // A library that could not be written still names the macro: the list keeps it too.
    if (!MacroLibrary(m_folder).Delete(selected)) {
        Trace("macro could not be deleted");
        return -1;
    }
    list->Remove(list->GetItemAt(selected));
    if (selected < static_cast<int>(m_names.size())) {
        m_names.erase(m_names.begin() + selected);
    }
    m_rows.RemoveAll();
    list->SelectItem(0, false, false);
    if (list->GetCount() == 0) {
        EnableActions(false);
    } else {
        LoadSelectedMacro();
    }
    return selected;
}

std::pair<QString, int> CMacroControlUI::RenameMacro() {
    const int selected = GetSelectedMacro();
    if (selected < 0) {
        return {QString(), -1};
    }
    CEditUI* edit = m_renameEdit.Get();
    const QString name = edit == nullptr ? QString() : edit->GetEditText();
    if (name.isEmpty()) {
        return {QStringLiteral("IsEmpty"), -1};
    }
    for (const QString& existing : m_names) {
        if (existing.compare(name, Qt::CaseInsensitive) == 0) {
            return {QString(), selected};
        }
    }
    if (!MacroLibrary(m_folder).Rename(selected, name.toStdString())) {
        return {QString(), selected};
    }
    if (CControlUI* item = m_nameList.Get()->GetItemAt(selected)) {
        item->SetText(name);
    }
    if (selected < static_cast<int>(m_names.size())) {
        m_names[static_cast<std::size_t>(selected)] = name;
    }
    edit->SetText(QString());
    return {name, selected};
}

int CMacroControlUI::GetSelectedMacro() const {
    CListUI* list = m_nameList.Get();
    return list == nullptr ? -1 : list->GetCurSel();
}

// --- the events ---

void CMacroControlUI::EnableActions(bool enabled) {
    if (CControlUI* layout = m_actionLayout.Get()) {
        layout->SetEnabled(enabled);
    }
}

void CMacroControlUI::ShowEvents(int macro) {
    m_rows.RemoveAll();
    const std::filesystem::path file = MacroLibrary(m_folder).EventFilePath(macro);
    if (file.empty()) {
        return;
    }
    // The stored objects as they are: a row's user data is its element of the file.
    const Json::Value document = JsonFileStore().ReadJson(file);
    int count = 0;
    for (const Json::Value& event : ArrayMemberOf(document, "Events")) {
        if (count++ >= MacroRecorder::kMaxRows) {
            break;
        }
        if (event.isObject()) {
            m_rows.AppendStored(event);
        }
    }
}

void CMacroControlUI::LoadSelectedMacro() {
    const int selected = GetSelectedMacro();
    if (selected < 0) {
        m_rows.RemoveAll();
        return;
    }
    EnableActions(true);
    ShowEvents(selected);
}

void CMacroControlUI::SaveSelectedMacro() {
    const int selected = GetSelectedMacro();
    if (selected < 0) {
        return;
    }
    if (!MacroLibrary(m_folder).Save(selected, m_rows.TakeEventsForSave())) {
        Trace("macro events could not be saved");
    }
}

void CMacroControlUI::ExportSelectedMacro(const std::filesystem::path& path) {
    const int selected = GetSelectedMacro();
    if (path.empty() || selected < 0) {
        return;
    }
    if (!MacroLibrary(m_folder).Export(selected, path)) {
        Trace("macro could not be exported");
    }
}

QString CMacroControlUI::ImportMacro(const std::filesystem::path& path) {
    CListUI* list = m_nameList.Get();
    if (path.empty() || list == nullptr || list->GetCount() >= kMaxMacros || m_folder.empty()) {
        return {};
    }
    MacroLibrary library(m_folder);
    const std::string name = library.Import(path);
    if (name.empty()) {
        return {};
    }
    const QString shown = QString::fromStdString(name);
    m_names.push_back(shown);
    list->Add(MakeNameItem(
        shown, QString::fromStdString(library.EventFilePath(library.Count() - 1).stem().string())));
    list->SelectItem(list->GetCount() - 1, false, false);
    LoadSelectedMacro();
    return shown;
}

void CMacroControlUI::MoveActionUp() {
    const int selected = m_rows.SelectedRow();
    if (selected > 0 && m_rows.MoveSelected(selected - 1)) {
        SetTimer(kScrollTimer, kScrollDelayMs);
    }
}

void CMacroControlUI::MoveActionDown() {
    const int selected = m_rows.SelectedRow();
    if (selected >= 0 && m_rows.MoveSelected(selected + 1)) {
        SetTimer(kScrollTimer, kScrollDelayMs);
    }
}

void CMacroControlUI::MoveActionTop() {
    if (m_rows.SelectedRow() >= 0 && m_rows.MoveSelected(0)) {
        SetTimer(kScrollTimer, kScrollDelayMs);
    }
}

void CMacroControlUI::MoveActionBottom() {
    if (m_rows.SelectedRow() >= 0 && m_rows.MoveSelected(m_rows.RowCount() - 1)) {
        SetTimer(kScrollTimer, kScrollDelayMs);
    }
}

void CMacroControlUI::DeleteAction() {
    m_rows.RemoveSelected();
}

void CMacroControlUI::DeleteAllActions() {
    m_rows.RemoveAll();
}

long long CMacroControlUI::MovementDistance(int variant) {
    if (variant < 0 || variant >= static_cast<int>(m_distanceEdits.size())) {
        return 0;
    }
    CEditUI* edit = m_distanceEdits[static_cast<std::size_t>(variant)].Get();
    return edit == nullptr ? 0 : DecimalOf(edit->GetEditText());
}

void CMacroControlUI::InsertMouseEvent(unsigned message, int variant) {
    const long long distance = message == mouse_message::kMove ? MovementDistance(variant) : 0;
    m_recorder.InsertMouseEvent(message, variant, distance, m_rows);
}

// --- recording ---

void CMacroControlUI::StartRecording(int mode) {
    if (mode == MacroRecorder::kConstantDelay) {
        TakeConstantDelay();
    }
    m_recorder.Start(mode);
    SetRecordingUI(false);
}

void CMacroControlUI::StopRecording() {
    SetRecordingUI(true);
}

void CMacroControlUI::SetRecordingUI(bool unlocked) {
    if (unlocked) {
        m_mouseLock.reset();
    } else if (!m_mouseLock) {
        std::vector<QPointer<QWidget>> areas;
        for (CControlUI* area : {m_nameTab.Get(), static_cast<CControlUI*>(m_actionList.Get())}) {
            if (area != nullptr) {
                areas.emplace_back(area->GetWidget());
            }
        }
        m_mouseLock = std::make_unique<MouseLock>(std::move(areas));
    }
    for (CControlUI* tab : {m_actionTab.Get(), m_delayTab.Get()}) {
        if (tab != nullptr) {
            tab->SetEnabled(unlocked);
        }
    }
    if (CControlUI* start = m_startButton.Get()) {
        start->SetVisible(unlocked);
    }
    if (CControlUI* stop = m_stopButton.Get()) {
        stop->SetVisible(!unlocked);
    }
}

bool CMacroControlUI::IsConstantDelayChosen() {
    COptionUI* option = m_constantOption.Get();
    return option != nullptr && option->IsSelected();
}

void CMacroControlUI::TakeConstantDelay() {
    CEditUI* edit = m_constantEdit.Get();
    if (edit == nullptr) {
        return;
    }
    const long long typed = DecimalOf(edit->GetEditText());
    if (typed == m_recorder.ConstantDelay()) {
        return;
    }
    m_recorder.SetConstantDelay(typed);
    if (typed > MacroRecorder::kMaxDelay) {
        edit->SetText(QString::number(m_recorder.ConstantDelay()));
        edit->setCursorPosition(static_cast<int>(edit->text().size()));
    }
}

void CMacroControlUI::OnKeyEvent(MacroPlacement placement, unsigned message, const KeyRecord& key) {
    m_recorder.OnKey(placement, message, key.scanCode, key.extended, m_rows);
}

void CMacroControlUI::OnMouseEvent(MacroPlacement placement, unsigned message,
                                   const MouseRecord& mouse) {
    int extra = 0;
    if (mouse.button == MouseButton::kBack) {
        extra = 1;
    } else if (mouse.button == MouseButton::kForward) {
        extra = 2;
    }
    m_recorder.OnMouse(placement, message, extra, mouse.x, mouse.y, m_rows);
}

void CMacroControlUI::OnTimer(int id) {
    if (id != kScrollTimer) {
        CHorizontalLayoutUI::OnTimer(id);
        return;
    }
    KillTimer(kScrollTimer);
    CListUI* list = m_actionList.Get();
    if (list == nullptr || list->GetCurSel() < 0) {
        return;
    }
    if (CControlUI* row = list->GetItemAt(list->GetCurSel())) {
        list->ensureWidgetVisible(row->GetWidget());
    }
}

}  // namespace quaro
