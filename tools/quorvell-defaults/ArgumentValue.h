#pragma once
// Turns the value arguments of "write DOMAIN KEY [-type] VALUE..." into a typed
// value, strictly: "12abc" is not an integer, "maybe" is not a boolean.

#include <QString>
#include <QStringList>
#include <QVariant>

namespace quorvell::defaults {

struct ArgumentValue {
    QVariant value;  // invalid when error is set
    QString error;
};

// arguments: what follows KEY. A first argument that names a type (-bool,
// -boolean, -int, -integer, -float, -string, -date, -data, -array, -dict) types
// the rest; without one, a single argument is a string.
[[nodiscard]] ArgumentValue parseWriteArguments(const QStringList& arguments);

}  // namespace quorvell::defaults
