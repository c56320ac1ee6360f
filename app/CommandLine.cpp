#include "app/CommandLine.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMutex>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace quorvell {
namespace {

constexpr int kUsageStatus = 2;
constexpr int kNoDisplayStatus = 1;

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "A tray icon whose menu copies a piece of every selected message to the clipboard, files senders or "
        "recipients into the address book, and saves messages as PDF or RTF. Every command is also a method "
        "on the session bus (see the README)."));
    // Not addHelpOption(): the --help-all it adds is answered by process() alone,
    // which this app does not call, so that option started the app.
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Displays help on commandline options.")));
    parser.addVersionOption();
}

QMutex g_heldMutex;
QList<QString> g_held;
QtMessageHandler g_previous = nullptr;

// The display that Qt was asked to open, empty when none is named.
QString displayName()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return qEnvironmentVariable("WAYLAND_DISPLAY");
    return qEnvironmentVariable("DISPLAY");
}

void holdOrFail(QtMsgType type, const QMessageLogContext& /*context*/, const QString& text)
{
    if (type == QtFatalMsg) {
        const QString where = displayName();
        const QString line = where.isEmpty()
            ? QStringLiteral("quorvell: no display to show the tray icon on (DISPLAY is not set); start it in a "
                             "graphical session\n")
            : QStringLiteral("quorvell: cannot open the display \"%1\" to show the tray icon on\n").arg(where);
        const QByteArray bytes = line.toLocal8Bit();
        (void)::write(STDERR_FILENO, bytes.constData(), size_t(bytes.size()));
        ::_exit(kNoDisplayStatus);
    }
    QMutexLocker lock(&g_heldMutex);
    g_held.append(text);
}

}  // namespace

std::optional<int> answerInformationOptions(int argc, char* argv[])
{
    // The parser's help text needs an application object; this one lives only for
    // the answer and needs no display.
    int count = argc;
    const QCoreApplication probe(count, argv);
    QCommandLineParser parser;
    describe(parser);
    (void)parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("quorvell %s\n", QUORVELL_VERSION);
        return 0;
    }
    return std::nullopt;
}

std::optional<int> refuseOtherArguments(const QApplication& app)
{
    QCommandLineParser parser;
    describe(parser);
    QString problem;
    if (!parser.parse(app.arguments()))
        problem = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        problem = QStringLiteral("takes no arguments, not \"%1\"").arg(parser.positionalArguments().first());
    if (problem.isEmpty())
        return std::nullopt;
    std::fprintf(stderr, "quorvell: %s (see quorvell --help)\n", problem.toLocal8Bit().constData());
    return kUsageStatus;
}

void beginOpeningDisplay()
{
    g_previous = qInstallMessageHandler(holdOrFail);
}

void endOpeningDisplay()
{
    qInstallMessageHandler(g_previous);
    QList<QString> held;
    {
        QMutexLocker lock(&g_heldMutex);
        held.swap(g_held);
    }
    for (const QString& text : held)
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace quorvell
