#pragma once

#include "ui/toolkit/CListUI.h"

namespace quaro {

// A list row that frames itself in the list's hot colour while the pointer is over it and it
// is not selected, and offers a context menu.
class CCloudShareListItemUI : public CListContainerElementUI {
public:
    explicit CCloudShareListItemUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("CloudShareListItemUI"); }

    void SetContextMenuUsed(bool used) { m_contextMenu = used; }
    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool m_contextMenu = false;
};

}  // namespace quaro
