#pragma once
// Human-readable text of stored values, in the bracketed form people know from
// property-list tools: dictionaries as { key = value; }, arrays as ( a, b ),
// booleans as 1 and 0, dates as "2026-12-06 07:10:23 +0000", data as <0a1b2c>.
// A string on its own prints as itself; inside a container it is quoted when it
// holds anything but letters, digits and "_.$/:-".

#include <QString>
#include <QVariant>

namespace quorvell::defaults {

[[nodiscard]] QString describeValue(const QVariant& value);

// "boolean", "integer", "float", "string", "date", "data", "array", "dictionary".
[[nodiscard]] QString typeName(const QVariant& value);

}  // namespace quorvell::defaults
