// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Fuzzes the system daemon's notice JSON: the record it is read into, and the
// relay's decisions in the bridge's slot, with relaying on. The session user
// is the one the target runs as (root, for the namespace), so notices naming
// it reach the notification builder.

#include "appstore_daemon_interface.h"
#include "daemon_fuzzing.h"
#include "system_notification_data.h"

namespace {

// A notice that is not a JSON object must leave the record as it was.
void checkRecordKeptOnFailure(const QString &notice)
{
    const QString marker = QStringLiteral("unchanged");
    _System_Notification_Data record;
    record.opt = NewVersionAvailable;
    record.appName = record.packageName = record.logname = marker;
    if (record.fromJsonString(notice))
        return;
    if (record.opt != NewVersionAvailable || record.appName != marker ||
        record.packageName != marker || record.logname != marker) {
        std::fprintf(stderr, "notice_json: a rejected notice changed the record\n");
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setUpPluginWorld();
    AppstoreDaemonInterface::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString notice = textOf(data, size);
    checkRecordKeptOnFailure(notice);
    invokeSlot(AppstoreDaemonInterface::instance(), "slotSystemNotificationSent",
               Q_ARG(QString, notice));
    return 0;
}
