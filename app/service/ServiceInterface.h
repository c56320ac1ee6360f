#pragma once
// The service's interface, made from the command table: one method without
// arguments per command row, named by commandName ("selCopySubject:" ->
// "CopySubject"), then ShowPreferences and Quit. The introspection data is built
// from the same list, so a new row of the table is a new method without more code.

#include "app/CommandTable.h"

#include <QString>

#include <optional>
#include <vector>

namespace quorvell {

inline constexpr const char* kServiceName = "com.brightfold.Quorvell";
inline constexpr const char* kServicePath = "/com/brightfold/Quorvell";
inline constexpr const char* kServiceInterface = "com.brightfold.Quorvell";

enum class ServiceAction { RunCommand, ShowPreferences, Quit };

struct ServiceMethod {
    QString name;
    ServiceAction action = ServiceAction::RunCommand;
    Command command = Command::CopyContent;  // for RunCommand only
};

// Every method, in table order, ShowPreferences and Quit last.
[[nodiscard]] const std::vector<ServiceMethod>& serviceMethods();

// The method named member (exact case), or none.
[[nodiscard]] std::optional<ServiceMethod> findServiceMethod(const QString& member);

// The <interface> element of the introspection data.
[[nodiscard]] QString serviceIntrospection();

}  // namespace quorvell
