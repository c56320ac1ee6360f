#include "tests/export/RtfReader.h"

#include <QProcess>
#include <QVector>

#include <cctype>

namespace quorvell::test {

namespace {

struct GroupState {
    bool bold = false;
    bool skip = false;   // inside a destination that is not text
    bool title = false;
    int unicodeSkip = 1;
};

}  // namespace

std::optional<RtfText> readRtf(const QByteArray& rtf)
{
    if (!rtf.startsWith("{\\rtf1"))
        return std::nullopt;
    RtfText out;
    QVector<GroupState> stack;
    GroupState state;
    int pendingSkip = 0;  // fallback characters still to drop after a \uN
    bool closedTop = false;

    const auto put = [&](QChar c) {
        if (state.skip)
            return;
        if (state.title) {
            out.title += c;
            return;
        }
        out.text += c;
        if (state.bold && !c.isSpace())
            out.boldText += c;
    };

    for (int i = 0; i < rtf.size(); ++i) {
        const auto byte = static_cast<unsigned char>(rtf.at(i));
        if (byte >= 0x80 || (closedTop && !std::isspace(byte)))
            return std::nullopt;
        if (byte == '{') {
            stack.push_back(state);
            pendingSkip = 0;
            continue;
        }
        if (byte == '}') {
            if (stack.isEmpty())
                return std::nullopt;
            state = stack.takeLast();
            pendingSkip = 0;
            closedTop = stack.isEmpty();
            continue;
        }
        if (byte == '\r' || byte == '\n')
            continue;
        if (byte != '\\') {
            if (pendingSkip > 0) {
                --pendingSkip;
                continue;
            }
            put(QLatin1Char(static_cast<char>(byte)));
            continue;
        }
        if (++i >= rtf.size())
            return std::nullopt;
        const char next = rtf.at(i);
        if (!std::isalpha(static_cast<unsigned char>(next))) {
            if (next == '*')
                state.skip = true;
            else if (pendingSkip > 0)
                --pendingSkip;
            else if (next == '\\' || next == '{' || next == '}')
                put(QLatin1Char(next));
            continue;
        }
        QByteArray word;
        while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf.at(i))))
            word += rtf.at(i++);
        QByteArray number;
        if (i < rtf.size() && (rtf.at(i) == '-' || std::isdigit(static_cast<unsigned char>(rtf.at(i))))) {
            number += rtf.at(i++);
            while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf.at(i))))
                number += rtf.at(i++);
        }
        if (i >= rtf.size() || rtf.at(i) != ' ')
            --i;  // the delimiter belongs to the text
        const int value = number.isEmpty() ? 1 : number.toInt();

        if (word == "par" || word == "line")
            put(QLatin1Char('\n'));
        else if (word == "tab")
            put(QLatin1Char('\t'));
        else if (word == "b")
            state.bold = value != 0;
        else if (word == "plain")
            state.bold = false;
        else if (word == "uc")
            state.unicodeSkip = value;
        else if (word == "u") {
            put(QChar(static_cast<char16_t>(value < 0 ? value + 65536 : value)));
            pendingSkip = state.unicodeSkip;
        } else if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info")
            state.skip = word != "info";
        else if (word == "title") {
            state.skip = false;
            state.title = true;
        } else if (word == "author" || word == "operator")
            state.skip = true;
    }
    if (!stack.isEmpty() || !closedTop)
        return std::nullopt;
    return out;
}

QString pdfText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                                                QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>").arg(QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace quorvell::test
