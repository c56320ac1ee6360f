// Posts one notification and ends at once: notify-once NAME OBJECT.
#include "platform/notifications/Notifications.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    platform::notifications::postDistributedNotification(QString::fromUtf8(argv[1]), QString::fromUtf8(argv[2]));
    return 0;
}
