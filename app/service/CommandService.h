#pragma once
// The app's commands on the D-Bus session bus: the name com.brightfold.Quorvell, the
// object /com/brightfold/Quorvell, the interface com.brightfold.Quorvell, one method
// without arguments per command (CopySubject, SaveToPDF, ...; listed from the command
// table) plus ShowPreferences and Quit. Each call runs on the main thread.

#include "app/CommandTable.h"

#include <QObject>

#include <functional>
#include <memory>

namespace quorvell {

struct CommandHandlers {
    std::function<void(Command)> run;
    std::function<void()> showPreferences;
    std::function<void()> quit;
};

enum class ServiceRegistration {
    Registered,  // the name is ours and the object is exported
    NameTaken,   // another instance runs: the caller should exit
    NoBus,       // no session bus: the tray works without the service
};

class CommandServicePrivate;

class CommandService : public QObject {
public:
    explicit CommandService(CommandHandlers handlers, QObject* parent = nullptr);
    ~CommandService() override;
    ServiceRegistration registerOnSessionBus();

private:
    std::unique_ptr<CommandServicePrivate> d;
};

}  // namespace quorvell
