#include "shell/CSkinFrame.h"

#include "ui/toolkit/CControlUI.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QFileDialog>
#include <QSettings>

namespace quaro {

CSkinFrame::CSkinFrame(CResourceManager& resources, CWindowWnd* owner, CControlUI* anchor,
                       std::filesystem::path settingsFolder)
    : WindowImplBase(resources, owner),
      m_owner(owner),
      m_anchor(anchor != nullptr ? anchor->GetWidget() : nullptr),
      m_settingsFolder(std::move(settingsFolder)) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_chooseFile = [] {
        return QFileDialog::getOpenFileName(nullptr, QString(), QStringLiteral("*.png"),
                                            QStringLiteral("(*.png) (*.png);;(*.*) (*)"));
    };
}

CSkinFrame* CSkinFrame::Open(CResourceManager& resources, CWindowWnd* owner, CControlUI* anchor,
                             const std::filesystem::path& settingsFolder) {
    auto* frame = new CSkinFrame(resources, owner, anchor, settingsFolder);
    // A pop-up closes when the user clicks anywhere else, which is losing focus here.
    frame->Create(QStringLiteral("skinframe"), Qt::Popup | Qt::FramelessWindowHint);
    frame->show();
    frame->Position();
    return frame;
}

void CSkinFrame::InitWindow() {
    setAttribute(Qt::WA_TranslucentBackground);
}

void CSkinFrame::Position() {
    if (!m_anchor) {
        return;
    }
    // Right edge under the anchor's right edge, top at its bottom.
    const QPoint corner(m_anchor->width() - width(), m_anchor->height());
    move(m_anchor->mapToGlobal(corner));
}

void CSkinFrame::Notify(TNotifyUI& msg) {
    if (msg.sType != notify::kClick || msg.pSender == nullptr) {
        return;
    }
    const QString name = msg.pSender->GetName();
    SkinChangeObserver& observer = GetSkinChangeObserver();
    if (name.compare(u"skin_image_btn", Qt::CaseInsensitive) == 0) {
        const QString image = msg.pSender->GetUserData();
        observer.Broadcast(SkinChangedParam{false, 0, image});
        WriteChoice(1, image);
    } else if (name.compare(u"skin_color_btn", Qt::CaseInsensitive) == 0) {
        observer.Broadcast(SkinChangedParam{true, msg.pSender->GetBkColor(), QString()});
    } else if (name.compare(u"skin_color", Qt::CaseInsensitive) == 0) {
        if (auto* tabs = FindControlAs<CTabLayoutUI>(QStringLiteral("skin_tab"))) {
            tabs->SelectItem(1);
        }
    } else if (name.compare(u"skin_image", Qt::CaseInsensitive) == 0) {
        if (auto* tabs = FindControlAs<CTabLayoutUI>(QStringLiteral("skin_tab"))) {
            tabs->SelectItem(0);
        }
    } else if (name.compare(u"skin_reset", Qt::CaseInsensitive) == 0) {
        const QString image = QString::fromLatin1(kDefaultImage);
        observer.Broadcast(SkinChangedParam{false, 0, image});
        WriteChoice(0, image);
    } else if (name.compare(u"skin_Custom", Qt::CaseInsensitive) == 0) {
        // The dialog takes the focus, which closes the picker, as it always has.
        QPointer<CSkinFrame> self(this);
        hide();
        const QString file = m_chooseFile ? m_chooseFile() : QString();
        if (!file.isEmpty()) {
            observer.Broadcast(SkinChangedParam{false, 0, file});
        }
        if (self) {
            Close(0);
        }
    }
}

void CSkinFrame::WriteChoice(int flags, const QString& image) {
    if (m_settingsFolder.empty()) {
        return;
    }
    QSettings ini(QString::fromStdString((m_settingsFolder / "main.ini").string()),
                  QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("SKINIMAGE"));
    ini.setValue(QStringLiteral("FLAGS"), QString::number(flags));
    ini.setValue(QStringLiteral("IMAGE"), image);
    ini.endGroup();
    ini.sync();
}

}  // namespace quaro
