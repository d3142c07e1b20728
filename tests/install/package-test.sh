#!/usr/bin/env bash
# package-test.sh BUILD_DIR: the Debian package, as the README makes it, passes lintian's pedantic checks and
# carries no maintainer script (the calendar library is private: no ldconfig).
set -euo pipefail

build="$1"
fail() { echo "FALHOU: $*" >&2; exit 1; }
for tool in cpack lintian dpkg-deb; do
    command -v "$tool" >/dev/null || fail "falta o programa $tool (scripts/install-deps.sh)"
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb="$(find "$work" -maxdepth 1 -name 'lembrete_*.deb')"
[ -f "$deb" ] || fail "o pacote não foi gerado"
echo "pacote: $(basename "$deb"), $(stat -c %s "$deb") bytes"

control="$(dpkg-deb --ctrl-tarfile "$deb" | tar -t)"
! grep -E 'postinst|postrm|preinst|prerm|triggers' <<<"$control" || fail "o pacote tem scripts do mantenedor"
# lintian refuses nothing as root, but says so on standard error.
lintian -I --pedantic --fail-on error,warning "$deb" 2>&1 || fail "lintian encontrou erros ou avisos"
echo "lintian: sem erros nem avisos"
