#pragma once
// Reading and writing the property-list XML form of one preference domain.
//
// The reader is strict: anything that is not well-formed XML, an unknown element,
// text where a value belongs, a dictionary key without a value (or a value without
// a key), a duplicate key, an integer outside signed 64 bits or with trailing
// characters ("12abc"), a malformed real, date or base64 block, is an error with
// its line and column. A domain file must hold exactly one dictionary.
//
// Values map to QVariant as the store documents (Preferences.h): bool, qlonglong,
// double, QString, QDateTime (UTC), QByteArray, QVariantList, QVariantMap.
// Dates are written with whole seconds as "2026-12-06T07:10:23Z" and with
// milliseconds as "2026-12-06T07:10:23.123Z", so every QDateTime round-trips.
// Reals are written in their shortest exact form, so every double round-trips,
// including "nan", "+infinity" and "-infinity".

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace platform::preferences {

struct PropertyListResult {
    std::optional<QVariantMap> dictionary;  // set on success
    QString error;                          // why not, with the place
    qint64 line = 0;
    qint64 column = 0;
};

[[nodiscard]] PropertyListResult parsePropertyList(const QByteArray& xml);

// The domain file's bytes for dictionary. Only call with storable values.
[[nodiscard]] QByteArray serializePropertyList(const QVariantMap& dictionary);

// The value in the store's own types (qlonglong for every integer, double for
// float, a list for a string list, UTC for dates), or none when value (or anything
// inside it) has no property-list form: an unsupported type, an unsigned integer
// beyond signed 64 bits, or a string with characters XML cannot carry (control
// characters other than tab, line feed and carriage return; lone surrogates).
[[nodiscard]] std::optional<QVariant> normalizedValue(const QVariant& value);

// Type-exact equality: a boolean true is not equal to the integer 1, and reals
// compare bit for bit (so nan equals nan and -0.0 differs from 0.0).
[[nodiscard]] bool sameValue(const QVariant& a, const QVariant& b);
[[nodiscard]] bool sameDictionary(const QVariantMap& a, const QVariantMap& b);

}  // namespace platform::preferences
