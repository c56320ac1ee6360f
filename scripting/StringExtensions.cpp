#include "scripting/StringExtensions.h"

#include "platform/applescript/Engine.h"
#include "platform/applescript/Operations.h"
#include "platform/mail/MailApplication.h"

#include <QFileInfo>

namespace quorvell {
namespace {

constexpr qsizetype kPathBufferSize = 4096;  // bytes, terminator included

}  // namespace

std::optional<QString> stringWithFSRef(const FSRef* ref)
{
    if (!ref || ref->path.isEmpty() || ref->path.size() + 1 > kPathBufferSize)
        return std::nullopt;
    const QString path = QString::fromUtf8(ref->path);
    if (!QFileInfo::exists(path))
        return std::nullopt;
    return path;
}

bool getFSRef(const QString& path, FSRef* ref)
{
    if (!ref || path.isEmpty())
        return false;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return false;
    ref->path = canonical.toUtf8();
    return true;
}

std::optional<QString> extractBetweenPattern(const QString& text, const QString& first, const QString& second)
{
    if (first.isEmpty() || second.isEmpty())
        return std::nullopt;
    const qsizetype open = text.indexOf(first, 0, Qt::CaseInsensitive);
    if (open < 0)
        return std::nullopt;
    const qsizetype start = open + first.size();
    const qsizetype close = text.indexOf(second, start, Qt::CaseInsensitive);
    if (close < 0)
        return std::nullopt;
    return text.mid(start, close - start);
}

std::optional<QString> reverseExtractBetweenPattern(const QString& text, const QString& first,
                                                    const QString& second)
{
    if (first.isEmpty() || second.isEmpty())
        return std::nullopt;
    const qsizetype close = text.indexOf(second, 0, Qt::CaseInsensitive);
    if (close < 0)
        return std::nullopt;
    // Only an occurrence that ends before the second pattern counts.
    const qsizetype open = text.left(close).lastIndexOf(first, -1, Qt::CaseInsensitive);
    if (open < 0)
        return std::nullopt;
    const qsizetype start = open + first.size();
    return text.mid(start, close - start);
}

std::optional<QString> runScript(const QString& source)
{
    namespace as = platform::applescript;
    platform::mail::registerMailApplication();
    const as::Outcome outcome = as::runScript(source);
    if (!outcome.value)
        return std::nullopt;
    // A list answers with its first item, as a result descriptor's first element.
    if (outcome.value->kind() == as::Value::Kind::List) {
        const as::List& items = outcome.value->items();
        if (items.empty())
            return std::nullopt;
        return as::stringValue(items.front());
    }
    return as::stringValue(*outcome.value);
}

QString cleanForFilename(const QString& text)
{
    QString clean = text;
    clean.replace(QLatin1Char('/'), QLatin1Char('-'));
    clean.replace(QLatin1Char(':'), QLatin1Char('-'));
    return clean;
}

}  // namespace quorvell
