#include "platform/desktop/widgets/OpenPanel.h"

#include <QDir>
#include <QFileDialog>

namespace platform::desktop {

OpenPanelResult runOpenPanel(const OpenPanelOptions& options)
{
    // Qt's own dialog, not the desktop's native one: only it honours every option
    // below (folders only, no new folders, the confirm button's title).
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!options.title.isEmpty())
        dialog.setWindowTitle(options.title);
    if (!options.prompt.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, options.prompt);

    // A chooser that takes folders and files at once has no Qt mode: it takes files,
    // and folders are chosen only in the folders-only mode.
    const bool foldersOnly = options.canChooseDirectories && !options.canChooseFiles;
    if (foldersOnly) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setFileMode(options.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    // ReadOnly is what takes the "New Folder" button and context action away.
    dialog.setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);

    OpenPanelResult result;
    if (dialog.exec() != QDialog::Accepted)
        return result;
    const QStringList chosen = dialog.selectedFiles();
    for (const QString& path : chosen) {
        if (path.isEmpty())
            continue;
        result.filenames << QDir::cleanPath(path);
        if (!options.allowsMultipleSelection)
            break;
    }
    if (!result.filenames.isEmpty())
        result.button = kOKButton;
    return result;
}

}  // namespace platform::desktop
