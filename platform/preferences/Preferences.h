#pragma once
// The per-user preference store: one property-list XML file per domain under
// ${XDG_CONFIG_HOME:-~/.config}, e.g. com.brightfold.Quorvell.plist.
//
// Values are typed and round-trip exactly. In a QVariant they are:
//   bool (QMetaType::Bool), signed 64-bit integer (qlonglong), real (double),
//   string (QString), date (QDateTime, UTC), data (QByteArray),
//   array (QVariantList), dictionary (QVariantMap).
//
// setAppValue is seen by this process at once and stays pending until
// appSynchronize, which, under a cross-process lock, reads the file, applies the
// pending changes over it, writes it back atomically if anything was pending, and
// takes in what other processes stored. Only the main thread calls these.
//
// A domain name is a file name: empty names, names with "/" and names starting
// with "." are refused (nothing stored, nothing read, synchronise fails). Values
// without a property-list form (see isStorableValue) are refused and logged.

#include <QString>
#include <QVariant>

#include <optional>

namespace platform::preferences {

// The stored value of key in domain, or none.
[[nodiscard]] std::optional<QVariant> copyAppValue(const QString& key, const QString& domain);

// Stores value under key; an invalid QVariant removes the key.
void setAppValue(const QString& key, const QVariant& value, const QString& domain);

// Writes pending changes and takes in other processes' changes. False when the
// file could not be written (the pending changes are kept for the next try).
bool appSynchronize(const QString& domain);

// Every key of domain with its value, as this process sees it.
[[nodiscard]] QVariantMap copyAppValues(const QString& domain);

// Whether setAppValue would store value: the types above (any integer type within
// signed 64 bits, float as a real, a string list as an array), strings that XML can
// carry, dates in the years 1 to 9999, and lists and dictionaries of such values.
[[nodiscard]] bool isStorableValue(const QVariant& value);

// The file that holds domain, or an empty string for a refused domain name.
[[nodiscard]] QString domainFilePath(const QString& domain);

}  // namespace platform::preferences
