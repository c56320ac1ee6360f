#include "platform/mail/save/PaperSize.h"

#include <array>
#include <string_view>

namespace platform::mail {

namespace {

constexpr std::array<std::string_view, 14> kLetterTerritories{
    "US", "CA", "MX", "PH", "BO", "CL", "CO", "CR", "GT", "NI", "PA", "PR", "SV", "VE",
};

}  // namespace

QPageSize::PageSizeId paperSizeForLocale(const QString& localeName)
{
    // language[_TERRITORY][.codeset][@modifier]
    const QString name = localeName.section(QLatin1Char('@'), 0, 0).section(QLatin1Char('.'), 0, 0);
    const int underscore = name.indexOf(QLatin1Char('_'));
    if (underscore < 0)
        return QPageSize::A4;
    const QString territory = name.mid(underscore + 1);
    for (std::string_view letter : kLetterTerritories) {
        if (territory == QLatin1String(letter.data(), static_cast<int>(letter.size())))
            return QPageSize::Letter;
    }
    return QPageSize::A4;
}

QPageSize::PageSizeId systemPaperSize()
{
    for (const char* variable : {"LC_ALL", "LC_PAPER", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return paperSizeForLocale(value);
    }
    return QPageSize::A4;
}

}  // namespace platform::mail
