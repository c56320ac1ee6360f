#pragma once
// Helpers shared by the files of the value operations (private to them):
// Coercion.cpp, Comparison.cpp, Operations.cpp and Utf8Text.cpp.

#include "platform/applescript/Operations.h"

#include <optional>

namespace platform::applescript::detail {

inline constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
// Qt numbers weekdays from Monday = 1; the language from Sunday = 1.
inline constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};

[[nodiscard]] Qt::CaseSensitivity sensitivity(const TextRules& rules);
[[noreturn]] void cantMake(const Value& v, TypeName t);
// A number written in text ("12", " 1.5e3 "), C locale; none when it is not one.
[[nodiscard]] std::optional<double> parseNumber(const QString& text);
// The items of a list, the values of a record, or the value alone.
[[nodiscard]] List asList(const Value& v);
// Whether a list holds text in UTF-8, and the list joined as toText joins it, in
// UTF-8 (Utf8Text.cpp).
[[nodiscard]] bool holdsUtf8(const Value& list);
[[nodiscard]] Value joinUtf8(const Value& list, const TextRules& rules);
// Text a with the text form of b after it; UTF-8 text stays UTF-8.
[[nodiscard]] Value appendText(Value a, const Value& b, const TextRules& rules);
// The locale's long time format without its time zone.
[[nodiscard]] QString timeFormat();

}  // namespace platform::applescript::detail
