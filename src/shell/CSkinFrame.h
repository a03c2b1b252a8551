#pragma once

#include "ui/SkinChange.h"
#include "ui/toolkit/WindowImplBase.h"

#include <QPointer>

#include <filesystem>
#include <functional>

namespace quaro {

// The background picker that hangs below the main window's skin button. Choices go to every
// receiver of the skin-change observer; preset and default pictures are also written to
// "main.ini" in the settings folder. It closes as soon as it loses focus and deletes itself.
class CSkinFrame : public WindowImplBase {
public:
    using FileChooser = std::function<QString()>;

    CSkinFrame(CResourceManager& resources, CWindowWnd* owner, CControlUI* anchor,
               std::filesystem::path settingsFolder);

    // Creates, places and shows a new picker.
    static CSkinFrame* Open(CResourceManager& resources, CWindowWnd* owner, CControlUI* anchor,
                            const std::filesystem::path& settingsFolder);

    QString GetWindowClassName() const override { return QStringLiteral("UISkinFrame"); }
    QString GetSkinFile() const override { return QStringLiteral("skin.xml"); }
    void Notify(TNotifyUI& msg) override;

    // The custom-picture dialog; tests replace it. Empty text means cancelled.
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    static constexpr const char* kDefaultImage = "common/background.png";

protected:
    void InitWindow() override;

private:
    void Position();
    void WriteChoice(int flags, const QString& image);

    QPointer<CWindowWnd> m_owner;
    QPointer<QWidget> m_anchor;
    std::filesystem::path m_settingsFolder;
    FileChooser m_chooseFile;
};

}  // namespace quaro
