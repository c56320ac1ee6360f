// quorvell-script: runs a script text through the engine, like the platform's own
// command-line runner.
//
//   quorvell-script [--utf8] FILE
//   quorvell-script -e 'LINE' [-e 'LINE' ...]
//
// A file is read as Mac OS Roman unless it starts with a UTF-8 byte-order mark or
// --utf8 is given. The result's text goes to standard output, followed by a line
// break (nothing for a result without text), and the exit status is 0; an error prints
// "LINE:COL: execution error: MESSAGE (NUMBER)" or
// "LINE:COL: syntax error: MESSAGE (NUMBER)" to standard error and exits 1.

#include "platform/applescript/Engine.h"
#include "platform/applescript/Operations.h"

#ifdef QUORVELL_HAVE_MAIL
#include "platform/mail/MailApplication.h"
#endif

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

int usage()
{
    std::fputs("usage: quorvell-script [--utf8] FILE | -e TEXT [-e TEXT ...]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
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
    if (const auto text = platform::applescript::stringValue(*outcome.value)) {
        QByteArray out = text->toUtf8();
        out += '\n';
        std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    }
    return 0;
}
