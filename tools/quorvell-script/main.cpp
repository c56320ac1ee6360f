// quorvell-script: runs a script text through the engine, like the platform's own
// command-line runner.
//
//   quorvell-script [--utf8] FILE
//   quorvell-script -e 'LINE' [-e 'LINE' ...]
//
// A file is read as Mac OS Roman unless it starts with a UTF-8 byte-order mark or
// --utf8 is given. The result goes to standard output as a person reads it,
// followed by a line break: text as it is, a list as "a, b, c", a record as
// "name:x, age:3" (nothing for missing value), and the exit status is 0. With a
// desktop session (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set), scripts reach
// the desktop clipboard through `the clipboard`; elsewhere that is an error. An error prints
// "LINE:COL: execution error: MESSAGE (NUMBER)" or
// "LINE:COL: syntax error: MESSAGE (NUMBER)" to standard error and exits 1.

#include "platform/applescript/Engine.h"
#include "platform/applescript/Operations.h"

#ifdef QUORVELL_HAVE_MAIL
#include "platform/mail/MailApplication.h"
#endif

#include "platform/pasteboard/ScriptClipboard.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

int usage()
{
    std::fputs("usage: quorvell-script [--utf8] FILE | -e TEXT [-e TEXT ...]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QStringList lines;
    QString file;
    bool utf8 = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"-e") {
            if (++i >= args.size())
                return usage();
            lines << args[i];
        } else if (args[i] == u"--utf8") {
            utf8 = true;
        } else if (args[i] == u"-h" || args[i] == u"--help") {
            usage();
            return 0;
        } else if (file.isEmpty() && !args[i].startsWith(u'-')) {
            file = args[i];
        } else {
            return usage();
        }
    }
    if (lines.isEmpty() == file.isEmpty())
        return usage();

    QString source;
    if (!file.isEmpty()) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "quorvell-script: can't read %s: %s\n", qPrintable(file),
                         qPrintable(f.errorString()));
            return 1;
        }
        source = platform::applescript::decodeScriptFile(f.readAll(), utf8);
    } else {
        source = lines.join(u'\n');
    }

    // The clipboard needs a GUI application, which needs a display; only a script
    // that mentions the clipboard starts one, so other runs work anywhere.
    const bool desktop = qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    const bool gui = desktop && source.contains(QLatin1String("clipboard"), Qt::CaseInsensitive);
    std::unique_ptr<QCoreApplication> app = gui ? std::make_unique<QGuiApplication>(argc, argv)
                                                : std::make_unique<QCoreApplication>(argc, argv);
    if (gui)
        platform::pasteboard::registerScriptClipboard();

#ifdef QUORVELL_HAVE_MAIL
    platform::mail::registerMailApplication();
#endif

    const platform::applescript::Outcome outcome = platform::applescript::runScript(source);
    if (!outcome.value) {
        const auto& e = outcome.error;
        const QString text = QStringLiteral("%1:%2: %3 error: %4 (%5)\n")
                                 .arg(e.line)
                                 .arg(e.column)
                                 .arg(e.compileError ? QStringLiteral("syntax") : QStringLiteral("execution"),
                                      e.message)
                                 .arg(e.number);
        std::fputs(text.toUtf8().constData(), stderr);
        return 1;
    }
    if (const QByteArray* bytes = outcome.value->utf8Form()) {
        // Text the run kept as UTF-8 is written as it is, not widened and narrowed again.
        std::fwrite(bytes->constData(), 1, static_cast<size_t>(bytes->size()), stdout);
        std::fputc('\n', stdout);
    } else if (!outcome.value->isMissing()) {
        QByteArray out = platform::applescript::readableForm(*outcome.value).toUtf8();
        out += '\n';
        std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    }
    return 0;
}
