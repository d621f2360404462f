// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "gvariant_qvariant.h"

#include <QStringList>

#include <glib.h>

namespace GVariantQVariant {

QVariant toQVariant(GVariant *value)
{
    if (!value)
        return QVariant();
    switch (g_variant_classify(value)) {
    case G_VARIANT_CLASS_BOOLEAN:
        return bool(g_variant_get_boolean(value));
    case G_VARIANT_CLASS_BYTE:
        return uint(g_variant_get_byte(value));
    case G_VARIANT_CLASS_INT16:
        return int(g_variant_get_int16(value));
    case G_VARIANT_CLASS_UINT16:
        return uint(g_variant_get_uint16(value));
    case G_VARIANT_CLASS_INT32:
        return int(g_variant_get_int32(value));
    case G_VARIANT_CLASS_UINT32:
        return uint(g_variant_get_uint32(value));
    case G_VARIANT_CLASS_INT64:
        return qlonglong(g_variant_get_int64(value));
    case G_VARIANT_CLASS_UINT64:
        return qulonglong(g_variant_get_uint64(value));
    case G_VARIANT_CLASS_DOUBLE:
        return g_variant_get_double(value);
    case G_VARIANT_CLASS_STRING:
    case G_VARIANT_CLASS_OBJECT_PATH:
    case G_VARIANT_CLASS_SIGNATURE:
        return QString::fromUtf8(g_variant_get_string(value, nullptr));
    case G_VARIANT_CLASS_VARIANT: {
        GVariant *inner = g_variant_get_variant(value);
        const QVariant result = toQVariant(inner);
        g_variant_unref(inner);
        return result;
    }
    default:
        break;
    }
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING_ARRAY)) {
        QStringList list;
        gsize length = 0;
        const gchar **strings = g_variant_get_strv(value, &length);
        for (gsize i = 0; i < length; ++i)
            list.append(QString::fromUtf8(strings[i]));
        // The array only: its strings belong to the variant.
        g_free(static_cast<gpointer>(const_cast<gchar **>(strings)));
        return list;
    }
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_BYTESTRING)) {
        gsize length = 0;
        const auto *bytes =
            static_cast<const char *>(g_variant_get_fixed_array(value, &length, sizeof(guchar)));
        return QByteArray(bytes, int(length));
    }
    return QVariant();
}

GVariant *toGVariant(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::UnknownType:
        return nullptr;
    case QMetaType::Bool:
        return g_variant_new_boolean(value.toBool());
    case QMetaType::Int:
        return g_variant_new_int32(value.toInt());
    case QMetaType::UInt:
        return g_variant_new_uint32(value.toUInt());
    case QMetaType::LongLong:
        return g_variant_new_int64(value.toLongLong());
    case QMetaType::ULongLong:
        return g_variant_new_uint64(value.toULongLong());
    case QMetaType::Double:
        return g_variant_new_double(value.toDouble());
    case QMetaType::QStringList: {
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE_STRING_ARRAY);
        for (const QString &item : value.toStringList())
            g_variant_builder_add(&builder, "s", item.toUtf8().constData());
        return g_variant_builder_end(&builder);
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, bytes.constData(),
                                         gsize(bytes.size()), sizeof(guchar));
    }
    default:
        return g_variant_new_string(value.toString().toUtf8().constData());
    }
}

} // namespace GVariantQVariant
