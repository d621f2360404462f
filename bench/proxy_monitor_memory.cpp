// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Drives 10,000 (or the number given) desktop proxy changes through the system proxy monitor and
// prints how much the process's heap grew, against the heap after a warm-up
// of the same kind. Runs on a private session bus with private dconf.

#include "private_desktop.h"
#include "system_proxy_monitor.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <gio/gio.h>
#include <malloc.h>

namespace {

constexpr int kWarmUp = 1000;

size_t heapInUse()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

// Changes the HTTP proxy host once and waits until the monitor has reacted.
bool change(GSettings *http, SystemProxyMonitor *monitor, int i)
{
    int seen = 0;
    const auto connection =
        QObject::connect(monitor, &SystemProxyMonitor::sigEnvironmentChanged, [&seen] { ++seen; });
    const QByteArray host = "proxy" + QByteArray::number(i % 2) + ".example";
    g_settings_set_string(http, "host", host.constData());
    QElapsedTimer timer;
    timer.start();
    while (seen == 0 && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QObject::disconnect(connection);
    return seen > 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int kChanges = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    PrivateDesktop desktop;
    if (!desktop.isValid()) {
        std::fprintf(stderr, "cannot start the private desktop\n");
        return 1;
    }
    GSettings *proxy = g_settings_new("org.gnome.system.proxy");
    GSettings *http = g_settings_new("org.gnome.system.proxy.http");
    g_settings_set_int(http, "port", 3128);
    g_settings_set_string(proxy, "mode", "manual");
    g_settings_sync();

    SystemProxyMonitor *monitor = SystemProxyMonitor::instance();
    for (int i = 0; i < kWarmUp; ++i) {
        if (!change(http, monitor, i)) {
            std::fprintf(stderr, "change %d did not reach the monitor\n", i);
            return 1;
        }
    }
    const size_t before = heapInUse();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kChanges; ++i) {
        if (!change(http, monitor, i)) {
            std::fprintf(stderr, "change %d did not reach the monitor\n", i);
            return 1;
        }
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const size_t after = heapInUse();

    const long long growth = static_cast<long long>(after) - static_cast<long long>(before);
    std::printf("heap in use after %d warm-up changes: %zu bytes\n", kWarmUp, before);
    std::printf("heap in use after %d more changes:    %zu bytes\n", kChanges, after);
    std::printf("growth: %lld bytes (%.1f bytes per change, ratio %.4f), %.2f s\n", growth,
                double(growth) / kChanges, double(after) / double(before), seconds);
    g_object_unref(http);
    g_object_unref(proxy);
    return 0;
}
