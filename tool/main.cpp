// app-entries-linker: makes the entries of the applications under /opt/apps
// visible to the system through symbolic links, after removing dangling ones.

#include "app_entries.h"
#include "clean_link.h"
#include "isolated_icons.h"
#include "system_caches.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    cleanLink();
    for (const QJsonObject &info : enumAppInfoList())
        linkAppEntries(info);
    linkIsolatedIcons();
    updateSystemCaches();
    return 0;
}
