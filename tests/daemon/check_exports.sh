#!/usr/bin/env bash
# Checks what the plug-in library exports: the plain C names its host and
# users rely on, and none of its internals (platform layers, helpers).
set -euo pipefail
lib=$1
shift
symbols=$(nm -D --defined-only "$lib" | awk '{print $3}')
status=0
for name in "$@"; do
    if ! grep -qx "$name" <<<"$symbols"; then
        echo "missing unmangled export: $name"
        status=1
    fi
done
internal=$(c++filt <<<"$symbols" |
    grep -E 'Vmo::|VGioSettings|GVariantQVariant|escapeProxyCredential|DBusInterface|Guard|^g_|^dconf_' || true)
if [ -n "$internal" ]; then
    echo "internal symbols exported:"
    echo "$internal"
    status=1
fi
[ $status -eq 0 ] && echo "exports ok: $*"
exit $status
