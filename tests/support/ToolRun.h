#pragma once
// A program of the build run as another process runs it: its exit status (-1 when
// it crashed or did not end in time), what it printed, and what it said on error.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

inline ToolRun runTool(const QString& program, const QStringList& arguments, const QByteArray& input = {},
                       int timeoutMs = 30000)
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}
