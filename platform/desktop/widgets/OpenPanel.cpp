#include "platform/desktop/widgets/OpenPanel.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

namespace platform::desktop {
namespace {

QString rememberedFolderFile()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // The XDG rule: a relative path is invalid and ignored.
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/quorvell/last-folder");
}

}  // namespace

QString openPanelStartFolder()
{
    QFile file(rememberedFolderFile());
    if (file.open(QIODevice::ReadOnly)) {
        const QString remembered = QString::fromUtf8(file.readAll()).trimmed();
        if (QDir::isAbsolutePath(remembered) && QFileInfo(remembered).isDir())
            return remembered;
    }
    return QDir::homePath();
}

void rememberOpenPanelChoice(const QString& path)
{
    const QFileInfo chosen(path);
    const QString folder = chosen.isDir() ? chosen.absoluteFilePath() : chosen.absolutePath();
    const QString target = rememberedFolderFile();
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return;
    QSaveFile file(target);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(folder.toUtf8() + '\n');
        (void)file.commit();
    }
}

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
    dialog.setDirectory(openPanelStartFolder());

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
    if (!result.filenames.isEmpty()) {
        result.button = kOKButton;
        rememberOpenPanelChoice(result.filenames.first());
    }
    return result;
}

}  // namespace platform::desktop
