#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Ostrel app store developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Checks what the plug-in library exports: the plain C names its host and
# users rely on, the members of its exported classes given as demangled
# names (Class::member(args)), and none of its internals (platform layers,
# helpers).
set -euo pipefail
lib=$1
shift
symbols=$(nm -D --defined-only "$lib" | awk '{print $3}')
demangled=$(c++filt <<<"$symbols")
status=0
for name in "$@"; do
    if [[ $name == *::* ]]; then
        grep -qxF "$name" <<<"$demangled" && continue
    elif grep -qx "$name" <<<"$symbols"; then
        continue
    fi
    echo "missing export: $name"
    status=1
done
internal=$(grep -E 'Vmo::|VGioSettings|GVariantQVariant|escapeProxyCredential|DBusInterface|Guard|LoggingRules|loadStoreTranslation|^g_|^dconf_|^sd_' <<<"$demangled" || true)
if [ -n "$internal" ]; then
    echo "internal symbols exported:"
    echo "$internal"
    status=1
fi
[ $status -eq 0 ] && echo "exports ok: $*"
exit $status
