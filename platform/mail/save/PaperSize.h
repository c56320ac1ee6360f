#pragma once
// The paper a saved PDF is set on: US Letter where the locale's paper is Letter,
// A4 everywhere else. The locale is the one that names the paper: LC_ALL, else
// LC_PAPER, else LANG, read from the environment as the C library reads them, so
// the answer does not depend on which locales happen to be installed. The
// territories are the ones whose C library locale data give Letter (the United
// States, Canada, Mexico, the Philippines and most of Central and South America).

#include <QPageSize>
#include <QString>

namespace platform::mail {

// The paper of a locale name such as "en_US.UTF-8", "fr_CA" or "de_DE@euro".
[[nodiscard]] QPageSize::PageSizeId paperSizeForLocale(const QString& localeName);

// The paper of this process's environment.
[[nodiscard]] QPageSize::PageSizeId systemPaperSize();

}  // namespace platform::mail
