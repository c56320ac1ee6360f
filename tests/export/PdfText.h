#pragma once
// A PDF file's text as pdftotext reads it (pages end in "\f"), or a line saying why
// it could not. options go before the file ("-layout", "-bbox").

#include <QProcess>
#include <QString>

namespace quorvell::test {

inline QString pdfText(const QString& path, const QStringList& options = {})
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  QStringList{QStringLiteral("-enc"), QStringLiteral("UTF-8")} + options + QStringList{path, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>").arg(QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace quorvell::test
