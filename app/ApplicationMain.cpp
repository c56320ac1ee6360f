#include "app/ApplicationMain.h"

#include "app/AppController.h"
#include "app/CommandLine.h"

#include "app/service/CommandService.h"
#include "scripting/CommandFeedback.h"
#include "settings/QuorvellPrefPane.h"

#include <QApplication>

#include <cstdio>
#include <memory>

namespace quorvell {

int applicationMain(int argc, char* argv[])
{
    if (const auto status = answerInformationOptions(argc, argv))
        return *status;
    // QApplication keeps a reference to argc: this frame outlives it.
    beginOpeningDisplay();
    QApplication app(argc, argv);
    endOpeningDisplay();
    // Bus trays show the application name as the item's title.
    QApplication::setApplicationName(QStringLiteral("Quorvell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvell"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVELL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quorvell"));
    // A tray app lives on when its last window closes; only "Quit" ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    if (const auto status = refuseOtherArguments(app))
        return *status;

    AppController controller;
    QObject::connect(&controller, &AppController::terminateRequested, &app, &QApplication::quit);
    QObject::connect(&app, &QApplication::aboutToQuit, &controller, &AppController::applicationWillTerminate);

    QuorvellPrefPane prefPane;
    controller.setPrefController(&prefPane);

    CommandService service(CommandHandlers{
        [&controller](Command command) { controller.runCommand(command); },
        [&controller] { controller.selItemPreferences(); },
        [&controller] { controller.selItemQuit(); },
    });
    switch (service.registerOnSessionBus()) {
    case ServiceRegistration::NameTaken:
        std::fprintf(stderr, "quorvell: already running in this session; its icon is in the tray.\n");
        return 0;
    case ServiceRegistration::NoBus:
    case ServiceRegistration::Registered:
        break;
    }

    announceMailbox();

    // What loading the main interface file ends with.
    controller.awakeFromNib();
    prefPane.awakeFromNib();
    controller.applicationWillFinishLaunching();
    controller.showStatusItem();
    return QApplication::exec();
}

}  // namespace quorvell
