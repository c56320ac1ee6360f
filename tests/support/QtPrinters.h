#pragma once
// Readable failure messages for Qt strings in GoogleTest assertions, and the
// tables' string_view keys and texts as QString.

#include <QString>
#include <QStringList>

#include <ostream>
#include <string_view>

inline QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '{';
    for (int i = 0; i < list.size(); ++i)
        *out << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
    *out << '}';
}
