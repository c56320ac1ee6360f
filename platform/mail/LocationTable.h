#pragma once
// Where each of many messages lies, held compactly: the directories once, and
// each file name once as UTF-8 with twelve bytes beside it, instead of four
// strings per message. A selection of 10,000 messages is about 400 KB here, where
// a list of MessageLocation was about 3 MB; the location of one message is made
// again when it is asked for. Immutable once built, so two threads may read it.

#include "platform/mail/MailMessage.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <vector>

namespace platform::mail {

class LocationTable {
public:
    LocationTable() = default;
    explicit LocationTable(const QVector<MessageLocation>& locations);

    [[nodiscard]] qsizetype size() const { return static_cast<qsizetype>(m_entries.size()); }
    // The location as it was given: the same strings, compared as text.
    [[nodiscard]] MessageLocation at(qsizetype index) const;
    [[nodiscard]] QString path(qsizetype index) const;
    [[nodiscard]] QStringList uniqueNames() const;
    [[nodiscard]] QVector<MessageLocation> all() const;

private:
    struct Entry {
        std::uint32_t start;       // of the file name in m_names; the index in m_odd for an odd one
        std::uint16_t length;      // of the file name, in bytes
        std::uint16_t nameLength;  // of the unique name, the file name's beginning
        std::uint16_t directory;   // in m_directories; kOdd for a location kept whole
    };
    static constexpr std::uint16_t kOdd = 0xFFFF;
    struct Directory {
        QString folder;
        QString prefix;  // the directory's path and a slash
    };

    void add(const MessageLocation& location);

    std::vector<Entry> m_entries;
    QByteArray m_names;
    std::vector<Directory> m_directories;
    QHash<QString, std::uint16_t> m_directoryOf;  // prefix and folder, while building
    // Locations the compact form would not give back exactly (a name that is not
    // the unique name and its flags, text that UTF-8 does not carry), kept whole.
    QVector<MessageLocation> m_odd;
};

}  // namespace platform::mail
