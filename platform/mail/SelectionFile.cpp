#include "platform/mail/SelectionFile.h"

#include <QList>

#include <algorithm>
#include <cstring>
#include <limits>

namespace platform::mail {
namespace {

constexpr char kHeader[] = "# quorvell selection ";

// The line [start, end) of data without the blanks around it: [from, to).
std::pair<qsizetype, qsizetype> trimmed(const char* data, qsizetype start, qsizetype end)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (start < end && isSpace(data[start]))
        ++start;
    while (end > start && isSpace(data[end - 1]))
        --end;
    return {start, end};
}

// Version 1: one unique name a line, blanks around it ignored.
QVector<SelectedMessage> namesOnly(const QByteArray& all)
{
    QVector<SelectedMessage> names;
    const char* data = all.constData();
    const qsizetype size = all.size();
    for (qsizetype start = 0; start < size;) {
        const auto* lf = static_cast<const char*>(std::memchr(data + start, '\n', static_cast<size_t>(size - start)));
        const qsizetype end = lf ? lf - data : size;
        const auto [from, to] = trimmed(data, start, end);
        if (from < to && data[from] != '#') {
            // Trimmed again as text: a line of other white space holds no name.
            QString name = QString::fromUtf8(data + from, static_cast<int>(to - from));
            if (!name.front().isSpace() && !name.back().isSpace())
                names.append({name, {}, {}});
            else if (QString trimmed = name.trimmed(); !trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#')))
                names.append({trimmed, {}, {}});
        }
        start = end + 1;
    }
    return names;
}

QString unescape(const QByteArray& field)
{
    if (!field.contains('\\'))
        return QString::fromUtf8(field);
    QByteArray plain;
    plain.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        char c = field.at(i);
        if (c == '\\' && i + 1 < field.size()) {
            const char next = field.at(++i);
            c = next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        }
        plain += c;
    }
    return QString::fromUtf8(plain);
}

// Writes a field of the file at out, unescaped, up to a NUL byte as unescape()
// reads it; out may be the field itself or before it. Returns the end written.
char* writeUnescaped(char* out, const char* field, qsizetype size)
{
    char* const from = out;
    if (!std::memchr(field, '\\', static_cast<size_t>(size))) {
        std::memmove(out, field, static_cast<size_t>(size));
        out += size;
    } else {
        for (qsizetype i = 0; i < size; ++i) {
            char c = field[i];
            if (c == '\\' && i + 1 < size) {
                const char next = field[++i];
                c = next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
            }
            *out++ = c;
        }
    }
    const auto* nul = static_cast<char*>(std::memchr(from, 0, static_cast<size_t>(out - from)));
    return nul ? const_cast<char*>(nul) : out;
}

bool isAsciiText(const char* text, qsizetype size)
{
    return std::all_of(text, text + size, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void appendEscaped(QByteArray& out, const QString& field)
{
    const QByteArray bytes = field.toUtf8();
    for (const char c : bytes) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

}  // namespace

SelectionRecord parseSelection(const QByteArray& text)
{
    SelectionRecord record;
    if (!text.startsWith(kHeader)) {
        record.version = 1;
        record.messages = namesOnly(text);
        return record;
    }
    const QList<QByteArray> lines = text.split('\n');
    record.version = lines.first().mid(int(std::strlen(kHeader))).trimmed().toInt();
    record.messages.reserve(lines.size());
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.endsWith('\r') ? raw.left(raw.size() - 1) : raw;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        if (fields.first() == "source") {
            if (fields.size() >= 3) {
                record.sourceKind = unescape(fields.at(1));
                record.root = unescape(fields.at(2));
            }
            continue;
        }
        SelectedMessage message{unescape(fields.first()), {}, {}};
        if (message.uniqueName.isEmpty())
            continue;
        if (fields.size() > 1)
            message.location = unescape(fields.at(1));
        if (fields.size() > 2)
            message.messageId = unescape(fields.at(2));
        record.messages.append(std::move(message));
    }
    return record;
}

SelectedMessages::SelectedMessages(const QVector<SelectedMessage>& messages)
{
    m_rows.reserve(static_cast<size_t>(messages.size()));
    for (const SelectedMessage& message : messages) {
        Row row{};
        row.starts[0] = static_cast<std::uint32_t>(m_bytes.size());
        m_bytes += message.uniqueName.toUtf8();
        row.starts[1] = static_cast<std::uint32_t>(m_bytes.size());
        m_bytes += message.location.toUtf8();
        row.starts[2] = static_cast<std::uint32_t>(m_bytes.size());
        m_bytes += message.messageId.toUtf8();
        row.starts[3] = static_cast<std::uint32_t>(m_bytes.size());
        m_rows.push_back(row);
    }
}

std::string_view SelectedMessages::bytes(qsizetype index, int which) const
{
    const Row& row = m_rows.at(static_cast<size_t>(index));
    return {m_bytes.constData() + row.starts[which], row.starts[which + 1] - row.starts[which]};
}

QString SelectedMessages::field(qsizetype index, int which) const
{
    const std::string_view text = bytes(index, which);
    return text.empty() ? QString() : QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QVector<SelectedMessage> SelectedMessages::all() const
{
    QVector<SelectedMessage> messages;
    messages.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        messages.append({uniqueName(i), location(i), messageId(i)});
    return messages;
}

CompactSelection CompactSelection::parse(QByteArray text)
{
    CompactSelection result;
    // The fields and offsets are smaller than the file, and it is far below 4 GB.
    if (text.size() >= std::numeric_limits<std::int32_t>::max() / 4)
        return result;
    qsizetype written = 0;
    // Fields are never longer than the text they come from, except names of the
    // first version read as text (broken UTF-8 grows): those go to a buffer of
    // their own, the others are written over the file's text.
    if (text.startsWith(kHeader) || isAsciiText(text.constData(), text.size())) {
        char* const data = text.data();  // ours alone from here
        result.parseInto(text, data, &written);
        text.truncate(static_cast<int>(written));
        text.squeeze();
        result.messages.m_bytes = std::move(text);
        return result;
    }
    QByteArray fields(static_cast<int>(text.size() * 3 + 16), Qt::Uninitialized);
    result.parseInto(text, fields.data(), &written);
    fields.truncate(static_cast<int>(written));
    fields.squeeze();
    result.messages.m_bytes = std::move(fields);
    return result;
}

void CompactSelection::parseInto(const QByteArray& text, char* const out, qsizetype* written)
{
    const char* data = text.constData();
    const qsizetype size = text.size();
    char* w = out;
    std::vector<SelectedMessages::Row>& rows = messages.m_rows;
    rows.reserve(static_cast<size_t>(std::count(data, data + size, '\n') + 1));
    const auto offset = [out](const char* at) { return static_cast<std::uint32_t>(at - out); };
    const bool versioned = text.startsWith(kHeader);
    if (!versioned)
        version = 1;
    bool first = true;
    for (qsizetype start = 0; start < size;) {
        const auto* lf = static_cast<const char*>(std::memchr(data + start, '\n', static_cast<size_t>(size - start)));
        const qsizetype end = lf ? lf - data : size;
        const qsizetype next = end + 1;
        if (!versioned) {
            // Version 1 as namesOnly() reads it: the bytes trimmed, or the text
            // trimmed when the name is not ASCII.
            const auto [from, to] = trimmed(data, start, end);
            start = next;
            if (from == to || data[from] == '#')
                continue;
            char* const name = w;
            if (isAsciiText(data + from, to - from)) {
                std::memmove(w, data + from, static_cast<size_t>(to - from));
                w += to - from;
            } else {
                const QVector<SelectedMessage> line = namesOnly(QByteArray::fromRawData(data + from, int(to - from)));
                if (line.isEmpty())
                    continue;
                const QByteArray bytes = line.first().uniqueName.toUtf8();
                std::memcpy(w, bytes.constData(), static_cast<size_t>(bytes.size()));
                w += bytes.size();
            }
            rows.push_back({{offset(name), offset(w), offset(w), offset(w)}});
            continue;
        }
        qsizetype stop = end;
        if (stop > start && data[stop - 1] == '\r')
            --stop;
        const qsizetype lineStart = start;
        start = next;
        if (first) {
            first = false;
            const auto skip = static_cast<qsizetype>(std::strlen(kHeader));
            version = QByteArray(data + lineStart + skip, int(stop - lineStart - skip)).trimmed().toInt();
        }
        if (stop == lineStart || data[lineStart] == '#')
            continue;
        // The first three fields; any later ones are passed over.
        qsizetype fieldStart[4] = {lineStart, stop, stop, stop};
        int fields = 1;
        for (qsizetype at = lineStart; fields < 4;) {
            const auto* tab = static_cast<const char*>(std::memchr(data + at, '\t', static_cast<size_t>(stop - at)));
            if (!tab)
                break;
            fieldStart[fields++] = tab - data + 1;
            at = tab - data + 1;
        }
        const auto fieldEnd = [&](int which) { return which + 1 < fields ? fieldStart[which + 1] - 1 : stop; };
        const std::string_view head(data + lineStart, static_cast<size_t>(fieldEnd(0) - lineStart));
        if (head == "source") {
            if (fields >= 3) {
                QByteArray kind(int(fieldEnd(1) - fieldStart[1]), Qt::Uninitialized);
                kind.truncate(int(writeUnescaped(kind.data(), data + fieldStart[1], kind.size()) - kind.data()));
                QByteArray where(int(fieldEnd(2) - fieldStart[2]), Qt::Uninitialized);
                where.truncate(int(writeUnescaped(where.data(), data + fieldStart[2], where.size()) - where.data()));
                sourceKind = QString::fromUtf8(kind);
                root = QString::fromUtf8(where);
            }
            continue;
        }
        char* const name = w;
        w = writeUnescaped(w, data + lineStart, fieldEnd(0) - lineStart);
        if (w == name)
            continue;
        char* const location = w;
        if (fields > 1)
            w = writeUnescaped(w, data + fieldStart[1], fieldEnd(1) - fieldStart[1]);
        char* const id = w;
        if (fields > 2)
            w = writeUnescaped(w, data + fieldStart[2], fieldEnd(2) - fieldStart[2]);
        rows.push_back({{offset(name), offset(location), offset(id), offset(w)}});
    }
    *written = w - out;
}

QByteArray formatSelection(const SelectionRecord& record)
{
    QByteArray out = QByteArray(kHeader) + "2\n";
    out += "source\t";
    appendEscaped(out, record.sourceKind);
    out += '\t';
    appendEscaped(out, record.root);
    out += '\n';
    for (const SelectedMessage& message : record.messages) {
        appendEscaped(out, message.uniqueName);
        out += '\t';
        appendEscaped(out, message.location);
        out += '\t';
        appendEscaped(out, message.messageId);
        out += '\n';
    }
    return out;
}

}  // namespace platform::mail
