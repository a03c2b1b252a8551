#include "ui/toolkit/CDialogBuilder.h"

#include "platform/Trace.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CColorPaletteUI.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CControlFactory.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/CListUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CProgressUI.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CSliderUI.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>

namespace quaro {
namespace {

// Includes may nest; a layout that includes itself must not recurse forever.
constexpr int kMaxIncludeDepth = 8;

CControlUI* CreateBuiltIn(const QString& tag) {
    const QString name = tag.toLower();
    if (name == u"container") {
        return new CContainerUI;
    }
    if (name == u"verticallayout") {
        return new CVerticalLayoutUI;
    }
    if (name == u"horizontallayout") {
        return new CHorizontalLayoutUI;
    }
    if (name == u"tablayout") {
        return new CTabLayoutUI;
    }
    if (name == u"control") {
        return new CPlainControlUI;
    }
    if (name == u"button") {
        return new CButtonUI;
    }
    if (name == u"option") {
        return new COptionUI;
    }
    if (name == u"label" || name == u"text") {
        return new CLabelUI;
    }
    if (name == u"edit") {
        return new CEditUI;
    }
    if (name == u"richedit") {
        return new CRichEditUI;
    }
    if (name == u"combo") {
        return new CComboUI;
    }
    if (name == u"list") {
        return new CListUI;
    }
    if (name == u"listcontainerelement") {
        return new CListContainerElementUI;
    }
    if (name == u"listlabelelement") {
        return new CListLabelElementUI;
    }
    if (name == u"slider") {
        return new CSliderUI;
    }
    if (name == u"progress") {
        return new CProgressUI;
    }
    if (name == u"colorpalette") {
        return new CColorPaletteUI;
    }
    return nullptr;
}

bool AddChild(CControlUI* parent, CControlUI* child) {
    if (auto* container = dynamic_cast<CContainerUI*>(parent)) {
        return container->Add(child);
    }
    if (auto* list = dynamic_cast<CListUI*>(parent)) {
        return list->Add(child);
    }
    if (auto* combo = dynamic_cast<CComboUI*>(parent)) {
        return combo->Add(child);
    }
    return false;
}

}  // namespace

CControlUI* CDialogBuilder::Create(const QString& xml, CResourceManager& resources,
                                   IDialogBuilderCallback* callback) {
    QFile file(resources.GetXmlPath(xml));
    QDomDocument document;
    if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file)) {
        TraceFormat("CDialogBuilder: cannot load %s", xml.toUtf8().constData());
        m_problems.append(QStringLiteral("load:") + xml);
        return nullptr;
    }
    m_includeChain.append(QFileInfo(file).canonicalFilePath());
    CControlUI* root = BuildTop(document.documentElement(), resources, callback);
    m_includeChain.removeLast();
    return root;
}

CControlUI* CDialogBuilder::BuildTop(const QDomElement& top, CResourceManager& resources,
                                     IDialogBuilderCallback* callback) {
    if (top.tagName().compare(u"Window", Qt::CaseInsensitive) != 0) {
        return Build(top, resources, callback);
    }
    if (top.hasAttribute(QStringLiteral("size"))) {
        m_windowSize = ParseSize(top.attribute(QStringLiteral("size")));
    }
    if (top.hasAttribute(QStringLiteral("caption"))) {
        m_captionHeight = ParseMargins(top.attribute(QStringLiteral("caption"))).bottom();
    }
    CControlUI* root = nullptr;
    for (QDomElement element = top.firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        if (element.tagName().compare(u"Font", Qt::CaseInsensitive) == 0) {
            resources.AddFont(element.attribute(QStringLiteral("id")).toInt(),
                              element.attribute(QStringLiteral("name")),
                              element.attribute(QStringLiteral("size")).toInt(),
                              ParseBool(element.attribute(QStringLiteral("bold"))),
                              ParseBool(element.attribute(QStringLiteral("underline"))),
                              ParseBool(element.attribute(QStringLiteral("italic"))));
        } else if (root == nullptr) {
            root = Build(element, resources, callback);
        } else {
            m_problems.append(QStringLiteral("Window:second root ") + element.tagName());
        }
    }
    return root;
}

CControlUI* CDialogBuilder::CreateByTag(const QString& tag, IDialogBuilderCallback* callback) {
    if (CControlUI* control = CreateBuiltIn(tag)) {
        return control;
    }
    if (callback != nullptr) {
        if (CControlUI* control = callback->CreateControl(tag)) {
            return control;
        }
    }
    return CControlFactory::GetInstance().CreateControl(tag);
}

CControlUI* CDialogBuilder::Build(const QDomElement& element, CResourceManager& resources,
                                  IDialogBuilderCallback* callback, CControlUI* parent) {
    const QString tag = element.tagName();
    if (tag.compare(u"Include", Qt::CaseInsensitive) == 0) {
        CControlUI* included = BuildInclude(element, resources, callback);
        return parent != nullptr && included != nullptr ? Attach(parent, included, element)
                                                        : included;
    }
    CControlUI* control = CreateByTag(tag, callback);
    if (control == nullptr) {
        TraceFormat("CDialogBuilder: unknown control %s", tag.toUtf8().constData());
        m_problems.append(tag);
        return nullptr;
    }
    control->SetResourceManager(&resources);
    const QDomNamedNodeMap attributes = element.attributes();
    QRect floatPos;
    bool floating = false;
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomAttr attribute = attributes.item(i).toAttr();
        const QString name = attribute.name().toLower();
        const QString value = attribute.value();
        if (name == u"padding") {
            SetChildPadding(control->GetWidget(), ParseMargins(value));
        } else if (name == u"float") {
            floating = ParseBool(value);
        } else if (name == u"pos") {
            const QMargins pos = ParseMargins(value);
            floatPos = QRect(QPoint(pos.left(), pos.top()),
                             QPoint(pos.right(), pos.bottom()) - QPoint(1, 1));
        } else if (!control->SetAttribute(name, value)) {
            m_problems.append(tag + u'.' + name);
        }
    }
    if (floating) {
        SetChildFloat(control->GetWidget(), true, floatPos);
    }
    // Placed before its children are built: with the application's style sheet, every widget
    // added to a parent has its style handed down its whole subtree, so a finished subtree
    // added level by level would be walked once per level above it.
    if (parent != nullptr && Attach(parent, control, element) == nullptr) {
        return nullptr;
    }
    AddChildren(control, element, resources, callback);
    return control;
}

CControlUI* CDialogBuilder::Attach(CControlUI* parent, CControlUI* child,
                                   const QDomElement& element) {
    if (AddChild(parent, child)) {
        return child;
    }
    m_problems.append(element.parentNode().toElement().tagName() + QStringLiteral(":cannot hold ") +
                      element.tagName());
    delete child->GetWidget();
    return nullptr;
}

CControlUI* CDialogBuilder::BuildInclude(const QDomElement& element, CResourceManager& resources,
                                         IDialogBuilderCallback* callback) {
    const QString source = element.attribute(QStringLiteral("source"));
    const QByteArray shown = source.toUtf8();
    if (source.isEmpty()) {
        Trace("CDialogBuilder: include without a source refused");
        m_problems.append(QStringLiteral("Include:no source"));
        return nullptr;
    }
    if (m_depth >= kMaxIncludeDepth) {
        TraceFormat("CDialogBuilder: include of %s refused, more than %d files deep",
                    shown.constData(), kMaxIncludeDepth);
        m_problems.append(QStringLiteral("Include:too deep ") + source);
        return nullptr;
    }
    const QString target = QFileInfo(resources.GetXmlPath(source)).canonicalFilePath();
    if (!target.isEmpty() && m_includeChain.contains(target)) {
        TraceFormat("CDialogBuilder: include of %s refused, it includes itself", shown.constData());
        m_problems.append(QStringLiteral("Include:cycle ") + source);
        return nullptr;
    }
    CDialogBuilder nested;
    nested.m_depth = m_depth + 1;
    nested.m_includeChain = m_includeChain;
    CControlUI* included = nested.Create(source, resources, callback);
    m_problems.append(nested.m_problems);
    return included;
}

void CDialogBuilder::AddChildren(CControlUI* parent, const QDomElement& element,
                                 CResourceManager& resources, IDialogBuilderCallback* callback) {
    for (QDomElement childElement = element.firstChildElement(); !childElement.isNull();
         childElement = childElement.nextSiblingElement()) {
        Build(childElement, resources, callback, parent);
    }
}

void InitControls(CControlUI* root) {
    if (root == nullptr) {
        return;
    }
    QList<CControlUI*> controls{root};
    for (QObject* object : root->GetWidget()->findChildren<QObject*>()) {
        if (CControlUI* control = AsControl(object)) {
            controls.append(control);
        }
    }
    for (CControlUI* control : controls) {
        control->DoInit();
    }
}

}  // namespace quaro
