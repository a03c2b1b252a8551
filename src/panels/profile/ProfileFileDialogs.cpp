#include "panels/profile/IProfileFileChooser.h"

#include <QFileDialog>

namespace quaro {
namespace {

std::filesystem::path Ask(QWidget* owner, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner != nullptr ? owner->window() : nullptr);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setNameFilter(QLatin1String(ProfileFileDialogs::kFilter));
    // A name typed without extension still lands in a file the open dialog offers again.
    dialog.setDefaultSuffix(QStringLiteral("json"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return std::filesystem::path(dialog.selectedFiles().constFirst().toStdString());
}

}  // namespace

std::filesystem::path ProfileFileDialogs::ChooseImportFile(QWidget* owner) {
    return Ask(owner, QFileDialog::AcceptOpen);
}

std::filesystem::path ProfileFileDialogs::ChooseExportFile(QWidget* owner) {
    return Ask(owner, QFileDialog::AcceptSave);
}

}  // namespace quaro
