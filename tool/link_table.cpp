// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "link_table.h"

#include "fs_path.h"

namespace {

struct Row
{
    const char *source;
    const char *target; // "%1" stands for the triplet
    RowCondition condition;
    Subdirs subdirs;
};

constexpr Row kRows[] = {
    {"autostart", "/etc/xdg/autostart", RowCondition::Autostart, Subdirs::Folded},
    {"GConf", "/usr/share/GConf", RowCondition::Always, Subdirs::Folded},
    {"applications", "/usr/share/applications", RowCondition::Always, Subdirs::Folded},
    {"doc", "/usr/share/doc", RowCondition::Always, Subdirs::Folded},
    {"fcitx", "/usr/share/fcitx", RowCondition::Always, Subdirs::Folded},
    {"fonts/files", "/usr/share/fonts", RowCondition::Always, Subdirs::Folded},
    {"fonts/conf", "/etc/fonts/conf.d", RowCondition::Always, Subdirs::Folded},
    // glib-compile-schemas writes into schemas/.
    {"glib-2.0", "/usr/share/glib-2.0", RowCondition::Always, Subdirs::Real},
    {"help", "/usr/share/help", RowCondition::Always, Subdirs::Folded},
    // update-icon-caches writes into every theme directory.
    {"icons", "/usr/share/icons", RowCondition::Always, Subdirs::Real},
    {"locale", "/usr/share/locale", RowCondition::Always, Subdirs::Folded},
    // update-mime-database writes into each media type's directory.
    {"mime", "/usr/share/mime", RowCondition::Always, Subdirs::Real},
    {"polkit", "/usr/share/polkit-1", RowCondition::Always, Subdirs::Folded},
    {"services", "/usr/share/dbus-1/services", RowCondition::Always, Subdirs::Folded},
    {"plugins/fcitx", "/usr/lib/%1/fcitx", RowCondition::Plugins, Subdirs::Folded},
    {"plugins/browser", "/usr/lib/mozilla/plugins", RowCondition::Plugins, Subdirs::Folded},
};

} // namespace

QList<LinkRow> linkTable(const QByteArray &triplet)
{
    QList<LinkRow> rows;
    for (const Row &row : kRows) {
        QByteArray target(row.target);
        target.replace("%1", triplet);
        rows.append({row.source, absoluteCleanPath(target), row.condition, row.subdirs});
    }
    return rows;
}
