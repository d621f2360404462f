// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "vconfig.h"

#include "gvariant_qvariant.h"

#include <dconf.h>

namespace Vmo {
namespace Core {

namespace {

// The dconf directory of a triple, or empty when the triple cannot form one.
QByteArray directoryOf(const QString &appId, const QString &name, const QString &subpath)
{
    if (appId.contains(QLatin1Char('/')) || name.contains(QLatin1Char('/')))
        return QByteArray();
    QByteArray dir = '/' + appId.toUtf8() + '/' + name.toUtf8() + '/';
    if (!subpath.isEmpty())
        dir += subpath.toUtf8() + '/';
    return dconf_is_dir(dir.constData(), nullptr) ? dir : QByteArray();
}

} // namespace

VConfig *VConfig::create(const QString &appId, const QString &name, const QString &subpath,
                         QObject *parent)
{
    return new VConfig(directoryOf(appId, name, subpath), parent);
}

VConfig::VConfig(const QByteArray &dir, QObject *parent)
    : QObject(parent)
    , m_dir(dir)
{
    if (m_dir.isEmpty())
        return;
    m_client = dconf_client_new();
    g_signal_connect(m_client, "changed", G_CALLBACK(onChanged), this);
    // Synchronous, so that no change made after construction can be missed.
    dconf_client_watch_sync(m_client, m_dir.constData());
}

VConfig::~VConfig()
{
    if (!m_client)
        return;
    g_signal_handlers_disconnect_by_data(m_client, this);
    dconf_client_unwatch_fast(m_client, m_dir.constData());
    g_object_unref(m_client);
}

bool VConfig::isValid() const
{
    return m_client != nullptr;
}

QByteArray VConfig::keyPath(const QString &key) const
{
    const QByteArray path = m_dir + key.toUtf8();
    return m_client && dconf_is_key(path.constData(), nullptr) ? path : QByteArray();
}

QVariant VConfig::read(const QByteArray &path) const
{
    GVariant *stored = dconf_client_read(m_client, path.constData());
    if (!stored)
        return QVariant();
    const QVariant result = GVariantQVariant::toQVariant(stored);
    g_variant_unref(stored);
    return result;
}

QVariant VConfig::value(const QString &key, const QVariant &fallback) const
{
    const QByteArray path = keyPath(key);
    if (path.isEmpty())
        return fallback;
    const QVariant result = read(path);
    m_given.insert(key, result);
    return result.isValid() ? result : fallback;
}

void VConfig::setValue(const QString &key, const QVariant &value)
{
    const QByteArray path = keyPath(key);
    if (path.isEmpty())
        return;
    // An invalid value resets the key.
    GVariant *stored = GVariantQVariant::toGVariant(value);
    dconf_client_write_fast(m_client, path.constData(), stored, nullptr);
}

void VConfig::onChanged(DConfClient *, const char *prefix, const char *const *changes, const char *,
                        void *self)
{
    auto *config = static_cast<VConfig *>(self);
    QStringList changed;
    bool wholeDirectory = false;
    for (const char *const *change = changes; *change; ++change) {
        const QByteArray path = QByteArray(prefix) + *change;
        // A directory path ends with '/': this one, or one above it.
        if (path.endsWith('/') && config->m_dir.startsWith(path)) {
            wholeDirectory = true;
            continue;
        }
        if (!path.startsWith(config->m_dir))
            continue;
        const QByteArray key = path.mid(config->m_dir.size());
        if (!key.isEmpty() && !key.contains('/') && !changed.contains(QString::fromUtf8(key)))
            changed.append(QString::fromUtf8(key));
    }
    if (wholeDirectory) {
        // Only the keys given out can have changed for anyone.
        for (auto given = config->m_given.begin(); given != config->m_given.end(); ++given) {
            const QVariant now = config->read(config->m_dir + given.key().toUtf8());
            if (now != given.value() && !changed.contains(given.key()))
                changed.append(given.key());
            given.value() = now;
        }
    }
    for (const QString &key : qAsConst(changed))
        Q_EMIT config->valueChanged(key);
}

} // namespace Core
} // namespace Vmo
