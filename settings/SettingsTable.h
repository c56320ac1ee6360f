#pragma once
// The 25 boolean settings, as one table: key, default, the preferences window's
// checkbox and action, its group, and its place in the full save. The menu build,
// the readers, the preferences window and the full save all read this table.

#include <array>
#include <cstddef>
#include <string_view>

namespace quorvell {

inline constexpr std::string_view kSettingsDomain = "com.brightfold.Quorvell";
inline constexpr std::string_view kPreferencesChangedName = "Preferences Changed";
inline constexpr std::string_view kPreferencesChangedObject = "com.brightfold.preference.Quorvell";

enum class SettingGroup { None, Top, Bottom };

struct SettingRow {
    std::string_view key;
    bool defaultValue;          // what a missing or non-boolean value reads as
    std::string_view checkbox;  // the preferences window's field, "m_includeContent"
    std::string_view action;    // its action, "includeContentButtonClicked:"
    SettingGroup group;
    int groupOrder;             // 1-based order inside its group; 0 without a group
    int fullSavePlace;          // 1-based place in the full save (also the load order)
};

// ORDER: the preferences window's field order.
inline constexpr std::array<SettingRow, 25> kSettingsTable{{
    {"IncludeContent", true, "m_includeContent", "includeContentButtonClicked:", SettingGroup::Top, 1, 5},
    {"IncludeSource", true, "m_includeSource", "includeSourceButtonClicked:", SettingGroup::Top, 17, 6},
    {"IncludeSubject", true, "m_includeSubject", "includeSubjectButtonClicked:", SettingGroup::Top, 2, 7},
    {"IncludeReplyTo", true, "m_includeReplyTo", "includeReplyToButtonClicked:", SettingGroup::Top, 3, 8},
    {"IncludeSummary", true, "m_includeSummary", "includeSummaryButtonClicked:", SettingGroup::Top, 16, 12},
    {"IncludeSender", true, "m_includeSender", "includeSenderButtonClicked:", SettingGroup::Top, 4, 9},
    {"IncludeSenderName", true, "m_includeSenderName", "includeSenderNameButtonClicked:", SettingGroup::Top, 5,
     10},
    {"IncludeSenderAddress", true, "m_includeSenderAddress", "includeSenderAddressButtonClicked:",
     SettingGroup::Top, 6, 11},
    {"IncludeRecipient", true, "m_includeRecipient", "includeRecipientButtonClicked:", SettingGroup::Top, 7, 13},
    {"IncludeRecipientName", true, "m_includeRecipientName", "includeRecipientNameButtonClicked:",
     SettingGroup::Top, 8, 14},
    {"IncludeRecipientAddress", true, "m_includeRecipientAddress", "includeRecipientAddressButtonClicked:",
     SettingGroup::Top, 9, 15},
    {"MessageID", true, "m_includeMessageID", "includeMessageIDButtonClicked:", SettingGroup::Top, 10, 16},
    {"MailMessageID", true, "m_includeMailMessageID", "includeMailMessageIDButtonClicked:", SettingGroup::Top,
     11, 17},
    {"AllHeaders", true, "m_includeAllHeaders", "includeAllHeadersButtonClicked:", SettingGroup::Top, 12, 18},
    {"AllHeadersContent", true, "m_includeAllHeadersContent", "includeAllHeadersContentButtonClicked:",
     SettingGroup::Top, 13, 19},
    {"IncludeDate", true, "m_includeDate", "includeDateButtonClicked:", SettingGroup::Top, 14, 20},
    {"IncludeTime", true, "m_includeTime", "includeTimeButtonClicked:", SettingGroup::Top, 15, 21},
    {"IncludeAddRecipientToAddressBook", true, "m_includeAddRecipientToAddressBook",
     "includeAddRecipientToAddressBookButtonClicked:", SettingGroup::Bottom, 1, 1},
    {"IncludeAddToAddressBook", true, "m_includeAddToAddressBook", "includeAddToAddressBookButtonClicked:",
     SettingGroup::Bottom, 2, 2},
    {"IncludeSaveToPDF", true, "m_includeSaveToPDF", "includeSaveToPDFButtonClicked:", SettingGroup::None, 0, 3},
    {"IncludeSaveToRTF", true, "m_includeSaveToRTF", "includeSaveToRTFButtonClicked:", SettingGroup::None, 0, 4},
    {"MakeAsSubmenu", true, "m_makeAsSubmenu", "makeAsSubmenuButtonClicked:", SettingGroup::Bottom, 3, 22},
    {"UseCommaDelimiter", false, "m_useCommaDelimiter", "useCommaDelimiterButtonClicked:", SettingGroup::Bottom,
     4, 23},
    {"ReverseOrder", false, "m_reverseOrder", "reverseOrderButtonClicked:", SettingGroup::Bottom, 5, 24},
    {"DontMakeCompletionSound", false, "m_dontMakeCompletionSound", "dontMakeCompletionSoundButtonClicked:",
     SettingGroup::Bottom, 6, 25},
}};

// The full save stores places 1-21 (the command keys), synchronises, then 22-25.
inline constexpr int kFullSaveCommandKeys = 21;

inline constexpr std::string_view kUseCommaDelimiterKey = "UseCommaDelimiter";
inline constexpr std::string_view kReverseOrderKey = "ReverseOrder";
inline constexpr std::string_view kDontMakeCompletionSoundKey = "DontMakeCompletionSound";
inline constexpr std::string_view kMakeAsSubmenuKey = "MakeAsSubmenu";

namespace detail {
constexpr bool settingsTableConsistent()
{
    std::array<int, 26> places{};
    int top = 0, bottom = 0;
    for (const auto& row : kSettingsTable) {
        if (row.fullSavePlace < 1 || row.fullSavePlace > 25 || places[row.fullSavePlace]++)
            return false;
        top += row.group == SettingGroup::Top;
        bottom += row.group == SettingGroup::Bottom;
    }
    return top == 17 && bottom == 6;
}
static_assert(settingsTableConsistent(), "every full-save place once; 17 top and 6 bottom checkboxes");
}  // namespace detail

}  // namespace quorvell
