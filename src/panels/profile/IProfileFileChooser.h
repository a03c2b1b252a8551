#pragma once

#include <filesystem>

class QWidget;

namespace quaro {

// Where the user wants a profile imported from or exported to. The application asks with file
// dialogs; tests answer with paths of their own.
class IProfileFileChooser {
public:
    virtual ~IProfileFileChooser() = default;
    // An empty path when the user cancelled.
    virtual std::filesystem::path ChooseImportFile(QWidget* owner) = 0;
    virtual std::filesystem::path ChooseExportFile(QWidget* owner) = 0;
};

// Qt's file dialogs offering profile files only.
class ProfileFileDialogs : public IProfileFileChooser {
public:
    static constexpr const char* kFilter = "Profile Files(*.json)";

    std::filesystem::path ChooseImportFile(QWidget* owner) override;
    std::filesystem::path ChooseExportFile(QWidget* owner) override;
};

}  // namespace quaro
