#include "jobs/JobDialogs.h"

#include "settings/FolderBrowser.h"

#include <QFileDialog>

namespace kestrel {

JobDialogs JobDialogs::System() {
    JobDialogs d;
    d.ChooseFolder = &BrowseForFolder;
    d.ChooseMovieFile = [](QWidget* owner, const std::filesystem::path& initial) {
        QFileDialog dialog(owner);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("mov"));
        dialog.setNameFilters(
            {QStringLiteral("Movie Files(*.mov)"), QStringLiteral("All Files(*.*)")});
        dialog.selectFile(QString::fromStdString(initial.string()));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::filesystem::path();
        return std::filesystem::path(dialog.selectedFiles().front().toStdString());
    };
    return d;
}

} // namespace kestrel
