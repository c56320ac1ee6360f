#include "platform/mail/save/RtfWriter.h"

#include <array>
#include <utility>

namespace platform::mail {

namespace {

void appendUnit(QByteArray& out, char16_t unit)
{
    out += "\\u";
    out += QByteArray::number(static_cast<int>(static_cast<int16_t>(unit)));
    out += '?';
}

}  // namespace

QByteArray rtfEscaped(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 4);
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        switch (c) {
        case u'\\': out += "\\\\"; continue;
        case u'{': out += "\\{"; continue;
        case u'}': out += "\\}"; continue;
        case u'\t': out += "\\tab "; continue;
        case u'\r':
            if (i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += "\\par\n";
            continue;
        case u'\n':
        case 0x2028:
        case 0x2029: out += "\\par\n"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F)
            continue;
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if (QChar::isHighSurrogate(c)) {
            // Only a complete pair is written; a lone half is broken text and goes.
            if (i + 1 < n && text.at(i + 1).isLowSurrogate()) {
                appendUnit(out, c);
                appendUnit(out, text.at(i + 1).unicode());
                ++i;
            }
            continue;
        }
        if (QChar::isLowSurrogate(c))
            continue;
        appendUnit(out, c);
    }
    return out;
}

QByteArray messageToRtf(const MessageDocument& message)
{
    const std::array<std::pair<const char*, const QString*>, 5> headers{{
        {"From", &message.from},
        {"To", &message.to},
        {"Cc", &message.cc},
        {"Date", &message.date},
        {"Subject", &message.subject},
    }};

    QByteArray out;
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n";
    out += "{\\fonttbl{\\f0\\fswiss\\fcharset0 DejaVu Sans;}}\n";
    out += "{\\info{\\title ";
    out += rtfEscaped(message.subject);
    out += "}}\n";
    out += "\\pard\\plain\\f0\\fs24\n";
    for (const auto& [label, value] : headers) {
        if (value->isEmpty())
            continue;
        out += "{\\b ";
        out += label;
        out += ":}\\tab ";
        out += rtfEscaped(*value);
        out += "\\par\n";
    }
    out += "\\par\n";
    out += rtfEscaped(message.body);
    out += "\\par\n}\n";
    return out;
}

}  // namespace platform::mail
