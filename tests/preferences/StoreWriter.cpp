// A second process for the store's tests.
//   store-writer keys DOMAIN PREFIX COUNT   stores PREFIX0..PREFIX<COUNT-1>, one synchronise each
//   store-writer churn DOMAIN KEYS           rewrites KEYS large values and synchronises, forever;
//                                            prints "writing" once the first synchronise is done
// Exits 1 at the first synchronise that fails.

#include "platform/preferences/Preferences.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace platform::preferences;

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "keys") == 0) {
        const QString domain = QString::fromUtf8(argv[2]);
        const QString prefix = QString::fromUtf8(argv[3]);
        const int count = std::atoi(argv[4]);
        for (int i = 0; i < count; ++i) {
            setAppValue(prefix + QString::number(i), QVariant(qlonglong(i)), domain);
            if (!appSynchronize(domain))
                return 1;
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "churn") == 0) {
        const QString domain = QString::fromUtf8(argv[2]);
        const int keys = std::atoi(argv[3]);
        for (qlonglong round = 0;; ++round) {
            for (int i = 0; i < keys; ++i)
                setAppValue(QStringLiteral("key%1").arg(i), QString(200, QChar(char16_t(u'a' + (round + i) % 26))),
                            domain);
            if (!appSynchronize(domain))
                return 1;
            if (round == 0) {
                std::puts("writing");
                std::fflush(stdout);
            }
        }
    }
    return 2;
}
