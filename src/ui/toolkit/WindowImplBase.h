#pragma once

#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CWindowWnd.h"

#include <QStringList>

namespace quaro {

class CControlUI;
class CResourceManager;

// A window whose content is a layout file of the skin. After the layout is built it runs
// InitWindow, then (from the event loop) raises "windowinit" with the root as sender.
class WindowImplBase : public CWindowWnd, public INotifyUI, public IDialogBuilderCallback {
public:
    explicit WindowImplBase(CResourceManager& resources, QWidget* owner = nullptr);

    virtual QString GetSkinFile() const = 0;

    // Builds the layout and shows nothing yet. flags: Qt window type and hints.
    bool Create(const QString& title, Qt::WindowFlags flags);

    CControlUI* GetRoot() const { return m_root; }
    CControlUI* FindControl(const QString& name) const;
    static CControlUI* FindSubControlByName(CControlUI* parent, const QString& name);
    template <class T>
    T* FindControlAs(const QString& name) const {
        return dynamic_cast<T*>(FindControl(name));
    }
    CResourceManager& Resources() const { return m_resources; }
    // Tags and attributes of the layout that were not understood.
    QStringList BuildProblems() const { return m_buildProblems; }

    // The interface scale (96 = 100 %).
    int GetDpi() const { return m_dpi; }
    void SetDpi(int dpi) { m_dpi = dpi; }

    void Notify(TNotifyUI& msg) override;
    CControlUI* CreateControl(const QString& className) override;
    LRESULT HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    virtual void InitWindow() {}
    // Messages the window base does not handle itself.
    virtual LRESULT HandleCustomMessage(unsigned message, WPARAM wParam, LPARAM lParam,
                                        bool& handled);
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CResourceManager& m_resources;
    CControlUI* m_root = nullptr;
    QStringList m_buildProblems;
    int m_captionHeight = 0;
    int m_dpi = 96;
};

}  // namespace quaro
