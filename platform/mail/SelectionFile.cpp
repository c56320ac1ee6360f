#include "platform/mail/SelectionFile.h"

#include <QList>

#include <cstring>

namespace platform::mail {
namespace {

constexpr char kHeader[] = "# quorvell selection ";

// Version 1: one unique name a line, blanks around it ignored.
QVector<SelectedMessage> namesOnly(const QByteArray& all)
{
    QVector<SelectedMessage> names;
    const char* data = all.constData();
    const qsizetype size = all.size();
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    for (qsizetype start = 0; start < size;) {
        const auto* lf = static_cast<const char*>(std::memchr(data + start, '\n', static_cast<size_t>(size - start)));
        const qsizetype end = lf ? lf - data : size;
        qsizetype from = start;
        qsizetype to = end;
        while (from < to && isSpace(data[from]))
            ++from;
        while (to > from && isSpace(data[to - 1]))
            --to;
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
