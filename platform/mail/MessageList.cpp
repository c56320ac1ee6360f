#include "platform/mail/MessageList.h"

#include "platform/mail/MessageObject.h"
#include "platform/mail/ReadAhead.h"

#include <sched.h>

namespace platform::mail {
namespace {

// Fewer messages than this are read faster than a thread starts.
constexpr std::size_t kReadAheadFrom = 16;

// Whether this process may run on a second core: on one, a reader only takes
// turns with the loop it should run beside.
bool hasSecondCore()
{
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    return ::sched_getaffinity(0, sizeof cpus, &cpus) != 0 || CPU_COUNT(&cpus) > 1;
}

}  // namespace

MessageList::MessageList(const QVector<MessageLocation>& locations)
    : MessageList(std::make_shared<const LocationTable>(locations))
{
}

MessageList::MessageList(std::shared_ptr<const LocationTable> table)
    : m_table(std::move(table)), m_ids(std::make_shared<MessageIds>(m_table)), m_readAhead(hasSecondCore())
{
}

std::size_t MessageList::size() const
{
    return static_cast<std::size_t>(m_table->size());
}

platform::applescript::Value MessageList::item(std::size_t index) const
{
    return platform::applescript::Value(std::make_shared<MessageObject>(message(index), m_ids));
}

std::shared_ptr<MailMessage> MessageList::message(std::size_t index) const
{
    for (const auto& [at, message] : m_recent) {
        if (message && at == index)
            return message;
    }
    auto message = std::make_shared<MailMessage>(m_table->at(static_cast<qsizetype>(index)));
    if (size() >= kReadAheadFrom && m_readAhead) {
        if (!m_reader) {
            m_reader = std::make_shared<ReadAhead>(
                m_table->size(), [table = m_table](qsizetype i) { return table->path(i); });
        }
        message->setReadAhead(m_reader, static_cast<qsizetype>(index));
    }
    m_recent[m_nextRecent++ % m_recent.size()] = {index, message};
    return message;
}

}  // namespace platform::mail
