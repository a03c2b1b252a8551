#include "ui/toolkit/CMenuWnd.h"

#include "platform/Trace.h"
#include "ui/toolkit/CControlUI.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CWindowWnd.h"

#include <QDomDocument>
#include <QFile>

namespace quaro {
namespace {

QString ItemText(const QString& text, CResourceManager& resources) {
    QString id;
    return ParseLanguageText(text, id) ? resources.GetText(id) : text;
}

void AddItems(QMenu* menu, const QDomElement& parent, CResourceManager& resources) {
    for (QDomElement element = parent.firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        const QString tag = element.tagName().toLower();
        if (tag == u"separator") {
            menu->addSeparator();
            continue;
        }
        if (tag != u"menuelement") {
            Trace("CMenuWnd: unknown menu element");
            continue;
        }
        const QString text = ItemText(element.attribute(QStringLiteral("text")), resources);
        if (!element.firstChildElement(QStringLiteral("MenuElement")).isNull()) {
            QMenu* sub = menu->addMenu(text);
            sub->setObjectName(element.attribute(QStringLiteral("name")));
            AddItems(sub, element, resources);
            continue;
        }
        QAction* action = menu->addAction(text);
        action->setObjectName(element.attribute(QStringLiteral("name")));
        action->setData(element.attribute(QStringLiteral("userdata")));
        if (element.hasAttribute(QStringLiteral("icon"))) {
            action->setIcon(
                QIcon(resources.GetFilePath(element.attribute(QStringLiteral("icon")))));
        }
        if (element.hasAttribute(QStringLiteral("checked"))) {
            action->setCheckable(true);
            action->setChecked(ParseBool(element.attribute(QStringLiteral("checked"))));
        }
    }
}

}  // namespace

QMenu* CMenuWnd::Build(const QString& xml, CResourceManager& resources) {
    QFile file(resources.GetXmlPath(xml));
    QDomDocument document;
    if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file)) {
        TraceFormat("CMenuWnd: cannot load %s", xml.toUtf8().constData());
        return nullptr;
    }
    auto* menu = new QMenu;
    menu->setObjectName(QStringLiteral("menu"));
    // A menu has no owner to take the skin's look from (the windows hold the style sheet).
    menu->setStyleSheet(resources.LoadStyleSheet());
    AddItems(menu, document.documentElement(), resources);
    return menu;
}

QMenu* CMenuWnd::BuildFor(const QString& xml, CWindowWnd* owner, CResourceManager& resources) {
    QMenu* menu = Build(xml, resources);
    if (menu == nullptr) {
        return nullptr;
    }
    QPointer<CWindowWnd> target(owner);
    QObject::connect(menu, &QMenu::triggered, menu, [target](QAction* action) {
        if (!target) {
            return;
        }
        MenuCmd command{action->objectName(), action->data().toString(), action->text(),
                        action->isChecked()};
        target->SendMessage(kMenuCommandMessage, reinterpret_cast<WPARAM>(&command), 0);
    });
    return menu;
}

QMenu* CMenuWnd::Init(const QString& xml, const QPoint& point, CWindowWnd* owner,
                      CResourceManager& resources) {
    QMenu* menu = BuildFor(xml, owner, resources);
    if (menu == nullptr) {
        return nullptr;
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(point);
    return menu;
}

}  // namespace quaro
