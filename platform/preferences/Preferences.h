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

}  // namespace platform::preferences
