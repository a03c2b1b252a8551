#include "ui/toolkit/COptionUI.h"

#include "ui/toolkit/CWindowWnd.h"

#include <QButtonGroup>

namespace quaro {
namespace {

// Silences the selection notifications of every option while a programmatic change that
// asked for none ripples through its group (UI thread only).
int g_silentDepth = 0;

}  // namespace

COptionUI::COptionUI(QWidget* parent) : CButtonUI(parent) {
    setCheckable(true);
    QObject::connect(this, &QPushButton::toggled, this, [this](bool checked) {
        if (g_silentDepth == 0) {
            SendNotify(notify::kSelectChanged, checked ? 1 : 0);
        }
    });
}

void COptionUI::Selected(bool selected, bool notify) {
    if (isChecked() == selected) {
        return;
    }
    if (!notify) {
        ++g_silentDepth;
    }
    QButtonGroup* buttonGroup = group();
    if (!selected && buttonGroup != nullptr) {
        // An exclusive group refuses to clear its checked button; a programmatic clear may.
        buttonGroup->setExclusive(false);
        setChecked(false);
        buttonGroup->setExclusive(true);
    } else {
        setChecked(selected);
    }
    if (!notify) {
        --g_silentDepth;
    }
}

void COptionUI::SetGroup(const QString& group) {
    m_group = group;
    JoinGroup();
}

void COptionUI::JoinGroup() {
    if (QButtonGroup* current = group()) {
        current->removeButton(this);
    }
    CWindowWnd* window = GetManager();
    if (window != nullptr && !m_group.isEmpty()) {
        window->GetOptionGroup(m_group)->addButton(this);
    }
}

void COptionUI::DoInit() {
    JoinGroup();
}

bool COptionUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"group") {
        m_group = value;
    } else if (name == u"selected") {
        Selected(ParseBool(value), false);
    } else {
        return CButtonUI::SetAttribute(name, value);
    }
    return true;
}

}  // namespace quaro
