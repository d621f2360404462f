// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QString>
#include <QStringList>

// Changes the desktop proxy settings from another process, the way a user or
// the desktop's proxy panel does, and waits until this process has seen them.
namespace ProxySettings {

// gsettings set org.gnome.system.proxy[.<child>] <key> <value>
void set(const QString &child, const QString &key, const QString &value);
// dconf write /system/proxy/<path> <value>, for values the desktop's own
// schema refuses (out of range, unknown mode).
void write(const QString &path, const QString &value);
// Back to the defaults.
void reset();
// Returns once every change made so far has been delivered here.
void settle();

} // namespace ProxySettings
