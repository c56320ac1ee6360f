#include "platform/mail/EncodedWords.h"

#include "platform/mail/HeaderBlock.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace platform::mail {

qsizetype findBytes(const QByteArray& data, const char* needle, qsizetype from)
{
    if (from < 0 || from > data.size())
        return -1;
    const void* found = ::memmem(data.constData() + from, size_t(data.size() - from), needle, std::strlen(needle));
    return found ? static_cast<const char*>(found) - data.constData() : -1;
}

namespace {

// Where a needle next occurs, for positions that only grow: an answer found once
// serves every later position up to it, so each byte is searched at most once and
// a value full of "=?" without a closing "?=" stays linear.
class NextOf {
public:
    NextOf(const QByteArray& data, const char* needle) : m_data(data), m_needle(needle) {}

    qsizetype from(qsizetype position)
    {
        if (position < m_from)
            return findBytes(m_data, m_needle, position);  // not met in a forward scan
        if (m_searched && (m_found < 0 || m_found >= position))
            return m_found;
        m_searched = true;
        m_from = position;
        m_found = findBytes(m_data, m_needle, position);
        return m_found;
    }

private:
    const QByteArray& m_data;
    const char* m_needle;
    qsizetype m_from = 0;
    qsizetype m_found = -1;
    bool m_searched = false;
};

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// A Q payload: "_" is a blank and "=XX" a byte; an "=" without two hexadecimal
// digits after it is kept as written.
QByteArray decodeQ(const char* data, qsizetype size)
{
    QByteArray out;
    out.reserve(static_cast<int>(size));
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && i + 2 < size && isHex(data[i + 1]) && isHex(data[i + 2])) {
            out += char(hexValue(data[i + 1]) << 4 | hexValue(data[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

struct Word {
    qsizetype end = 0;  // one past "?="
    QByteArray charset;
    QByteArray bytes;
};

class Scanner {
public:
    explicit Scanner(const QByteArray& value)
        : m_value(value), m_closes(value, "?="), m_spaces(value, " "), m_tabs(value, "\t")
    {
    }

    // The well-formed encoded word at position at, if any.
    std::optional<Word> wordAt(qsizetype at)
    {
        constexpr qsizetype kLongestCharset = 64;
        const qsizetype size = m_value.size();
        const char* data = m_value.constData();
        if (at + 1 >= size || data[at] != '=' || data[at + 1] != '?')
            return std::nullopt;
        qsizetype charsetEnd = at + 2;
        while (charsetEnd < size && charsetEnd - at - 2 <= kLongestCharset && data[charsetEnd] != '?'
               && data[charsetEnd] != ' ' && data[charsetEnd] != '\t')
            ++charsetEnd;
        if (charsetEnd == at + 2 || charsetEnd + 2 >= size || data[charsetEnd] != '?' || data[charsetEnd + 2] != '?')
            return std::nullopt;
        const char encoding = static_cast<char>(data[charsetEnd + 1] | 0x20);
        if (encoding != 'q' && encoding != 'b')
            return std::nullopt;
        const qsizetype payload = charsetEnd + 3;
        const qsizetype close = m_closes.from(payload);
        if (close < 0)
            return std::nullopt;
        const qsizetype space = m_spaces.from(payload);
        const qsizetype tab = m_tabs.from(payload);
        if ((space >= 0 && space < close) || (tab >= 0 && tab < close))
            return std::nullopt;
        Word word;
        word.end = close + 2;
        word.charset = QByteArray(data + at + 2, static_cast<int>(charsetEnd - at - 2)).toLower();
        if (const qsizetype language = word.charset.indexOf('*'); language >= 0)
            word.charset.truncate(static_cast<int>(language));  // RFC 2231: "utf-8*en"
        if (encoding == 'q') {
            word.bytes = decodeQ(data + payload, close - payload);
            return word;
        }
        auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromRawData(data + payload, static_cast<int>(close - payload)),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        word.bytes = std::move(*decoded);
        return word;
    }

    // Calls literal(from, to) for the text outside words and words(run) for each
    // run of adjacent words, in order.
    template <class Literal, class Words>
    void scan(Literal literal, Words words)
    {
        const qsizetype size = m_value.size();
        qsizetype copied = 0;
        for (qsizetype at = findBytes(m_value, "=?", 0); at >= 0;) {
            std::optional<Word> word = wordAt(at);
            if (!word) {
                at = findBytes(m_value, "=?", at + 1);
                continue;
            }
            literal(copied, at);
            Run run{at, word->end, true, std::move(word->charset), std::move(word->bytes), {}};
            for (;;) {
                qsizetype next = run.to;
                while (next < size && (m_value.at(next) == ' ' || m_value.at(next) == '\t'))
                    ++next;
                std::optional<Word> more = wordAt(next);
                if (!more)
                    break;
                run.single = false;
                if (more->charset != run.charset) {
                    run.text += HeaderBlock::decodeCharset(run.bytes, run.charset);
                    run.charset = std::move(more->charset);
                    run.bytes.clear();
                }
                run.bytes += more->bytes;
                run.to = more->end;
            }
            words(run);
            copied = run.to;
            at = findBytes(m_value, "=?", run.to);
        }
        literal(copied, size);
    }

    // Adjacent words: where they stand, and what they hold. The text is that of
    // all but the words of the last charset, whose bytes are still to decode.
    struct Run {
        qsizetype from;
        qsizetype to;
        bool single;  // one word
        QByteArray charset;
        QByteArray bytes;
        QString text;
        [[nodiscard]] QString decoded() const { return text + HeaderBlock::decodeCharset(bytes, charset); }
    };

private:
    const QByteArray& m_value;
    NextOf m_closes;
    NextOf m_spaces;
    NextOf m_tabs;
};

}  // namespace

QString decodeEncodedWords(const QByteArray& value)
{
    if (findBytes(value, "=?", 0) < 0)
        return HeaderBlock::decodeUndeclared(value);
    QString out;
    Scanner(value).scan(
        [&](qsizetype from, qsizetype to) {
            if (to > from)
                out += HeaderBlock::decodeUndeclared(value.mid(from, to - from));
        },
        [&](const auto& run) { out += run.decoded(); });
    return out;
}

namespace {

// A single word that every decoder reads alike, the parser's as ours: UTF-8 that
// is valid, or plain ASCII in a charset that contains it. It is kept as written.
bool readsAlike(const QByteArray& charset, const QByteArray& bytes)
{
    if (charset == "utf-8" || charset == "utf8")
        return HeaderBlock::isValidUtf8(bytes);
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii && (charset == "us-ascii" || charset.startsWith("iso-8859-") || charset.startsWith("windows-125"));
}

}  // namespace

QByteArray normalizeEncodedWords(const QByteArray& value)
{
    if (findBytes(value, "=?", 0) < 0)
        return HeaderBlock::isValidUtf8(value) ? value : HeaderBlock::decodeUndeclared(value).toUtf8();
    QByteArray out;
    bool changed = false;  // a value with nothing to change is handed back as it is
    const QByteArray mark = QString(QChar(kNotAWord)).toUtf8();
    Scanner(value).scan(
        [&](qsizetype from, qsizetype to) {
            QByteArray literal = QByteArray::fromRawData(value.constData() + from, static_cast<int>(to - from));
            if (!HeaderBlock::isValidUtf8(literal)) {
                literal = HeaderBlock::decodeUndeclared(literal).toUtf8();
                changed = true;
            }
            if (findBytes(literal, "=?", 0) >= 0) {
                literal.replace("=?", "=" + mark + "?");
                changed = true;
            }
            out += literal;
        },
        [&](const auto& run) {
            if (run.single && readsAlike(run.charset, run.bytes)) {
                out += QByteArray::fromRawData(value.constData() + run.from, static_cast<int>(run.to - run.from));
            } else {
                out += "=?utf-8?b?" + run.decoded().toUtf8().toBase64() + "?=";
                changed = true;
            }
        });
    return changed ? out : value;
}

QString withoutMark(QString text)
{
    return text.remove(QChar(kNotAWord));
}

}  // namespace platform::mail
