// make_bench_maildir mixed|large FOLDER: writes a benchmark Maildir into FOLDER
// and prints its message files, one a line, in delivery order (what the mail
// tools of a comparison read on standard input).

#include "bench/copy/MailCorpus.h"

#include <QTextStream>

#include <cstring>

int main(int argc, char** argv)
{
    using quorvell::bench::CorpusSet;
    if (argc != 3 || (std::strcmp(argv[1], "mixed") != 0 && std::strcmp(argv[1], "large") != 0)) {
        QTextStream(stderr) << "usage: make_bench_maildir mixed|large FOLDER\n";
        return 2;
    }
    const CorpusSet set = std::strcmp(argv[1], "mixed") == 0 ? CorpusSet::Mixed : CorpusSet::Large;
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QStringList names = quorvell::bench::writeCorpus(set, folder);
    if (names.isEmpty()) {
        QTextStream(stderr) << "make_bench_maildir: cannot write " << folder << '\n';
        return 1;
    }
    QTextStream out(stdout);
    for (const QString& name : names)
        out << folder << "/cur/" << name << ":2,S\n";
    return 0;
}
