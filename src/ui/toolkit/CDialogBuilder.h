#pragma once

#include <QDomElement>
#include <QRect>
#include <QSize>
#include <QStringList>

namespace quaro {

class CControlUI;
class CResourceManager;

// A window's say in building its layouts: controls of its own for tags the toolkit lacks.
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(const QString& className) = 0;
};

// Builds a layout file of the skin into controls. Built-in tags first; any other tag goes to
// the callback, then to the control factory; a tag nobody knows is left out with its subtree
// and reported, as is every attribute a control does not take.
class CDialogBuilder {
public:
    // The root control, not yet parented, or null when the file does not load or holds no
    // control. xml is a catalogue name ("XML_MAIN") or a path relative to the skin folder.
    // An <Include source="..."/> element is replaced by the root of the named layout (a path
    // relative to the skin folder); its other attributes are ignored. An include that would
    // enter a file already being built, or nest deeper than eight files, is refused and traced.
    CControlUI* Create(const QString& xml, CResourceManager& resources,
                       IDialogBuilderCallback* callback = nullptr);

    // What the layout's Window element said; empty when it had none.
    QSize GetWindowSize() const { return m_windowSize; }
    int GetCaptionHeight() const { return m_captionHeight; }
    // "tag" or "tag.attribute" entries this build could not honour.
    QStringList Problems() const { return m_problems; }

private:
    CControlUI* BuildTop(const QDomElement& top, CResourceManager& resources,
                         IDialogBuilderCallback* callback);
    // The control of element with its subtree; with a parent, added to it before the subtree
    // is built, and null (the control deleted, the problem noted) when the parent refuses it.
    CControlUI* Build(const QDomElement& element, CResourceManager& resources,
                      IDialogBuilderCallback* callback, CControlUI* parent = nullptr);
    CControlUI* Attach(CControlUI* parent, CControlUI* child, const QDomElement& element);
    CControlUI* CreateByTag(const QString& tag, IDialogBuilderCallback* callback);
    void AddChildren(CControlUI* parent, const QDomElement& element, CResourceManager& resources,
                     IDialogBuilderCallback* callback);
    CControlUI* BuildInclude(const QDomElement& element, CResourceManager& resources,
                             IDialogBuilderCallback* callback);

    QSize m_windowSize;
    int m_captionHeight = 0;
    QStringList m_problems;
    int m_depth = 0;
    // The files being built, outermost first: an include of one of them would never end.
    QStringList m_includeChain;
};

// Runs every control's DoInit below (and including) root, children first.
void InitControls(CControlUI* root);

}  // namespace quaro
