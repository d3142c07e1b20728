#!/usr/bin/env bash
# install-test.sh BUILD_DIR VERSION: installs into a read-only prefix and runs the program as a user
# other than root with an empty home and no display; nothing may be written into the prefix.
set -euo pipefail

build="$1"
version="$2"
fail() { echo "FALHOU: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli setpriv; do
    command -v "$tool" >/dev/null || fail "falta o programa $tool (scripts/install-deps.sh)"
done

work="$(mktemp -d)"
app_pid=""
cleanup() {
    [ -z "$app_pid" ] || { kill "$app_pid"; wait "$app_pid"; } 2>/dev/null || true
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"

prefix="$work/usr"
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/lembrete lib/zedozarir/{almanaq-registro,libAlmanaq.so} share/zedozarir/fundo.gif \
            share/{applications/example.zedozarir.lembrete.desktop,metainfo/example.zedozarir.lembrete.metainfo.xml} \
            share/icons/hicolor/{scalable/apps/example.zedozarir.lembrete.svg,48x48/apps/example.zedozarir.lembrete.png} \
            share/man/man1/lembrete.1.gz share/doc/lembrete/{copyright,changelog.gz}; do
    [ -f "$prefix/$file" ] || fail "$file não foi instalado"
done
chmod -R a-w "$prefix"
snapshot() { (cd "$prefix" && find . -printf '%p %s %T@\n' | sort); }
before="$(snapshot)"

# The user: nobody when run as root, else whoever runs the test.
home="$work/home"
mkdir "$home"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown "$(id -u nobody):$(id -g nobody)" "$home"
    as_user=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups)
fi
run() { (cd "$home" && "${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"); }

# Command line, with no display at all (its options: tests/runtime/tst_commandline).
[ "$(run "$prefix/bin/lembrete" --version)" = "lembrete $version" ] || fail "--version"
[ ! -e "$prefix/bin/almanaq-registro" ] || fail "almanaq-registro não é um comando para os usuários"

# First start, headless: the user's database appears with its table.
database="$home/.local/share/Zedozarir/dados.mdb"
(cd "$home" && exec "${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    QT_QPA_PLATFORM=offscreen "$prefix/bin/lembrete") >"$work/app.log" 2>&1 &
app_pid=$!
for _ in $(seq 1 100); do
    [ -s "$database" ] && break
    kill -0 "$app_pid" 2>/dev/null || { cat "$work/app.log" >&2; fail "o programa terminou sozinho"; }
    sleep 0.2
done
[ -s "$database" ] || fail "$database não foi criado"
sleep 1
kill -0 "$app_pid" 2>/dev/null || { cat "$work/app.log" >&2; fail "o programa não continuou aberto"; }

# While it is open: a second start hands over and leaves; the command line shares its database.
run env QT_QPA_PLATFORM=offscreen timeout 20 "$prefix/bin/lembrete" || fail "um segundo lembrete não entregou a janela ao aberto"
kill -0 "$app_pid" 2>/dev/null || fail "o primeiro programa terminou com o segundo"
run "$prefix/bin/lembrete" --novo hoje "Pelo terminal" | grep -q "Pelo terminal" || fail "--novo"
run "$prefix/bin/lembrete" --listar hoje --formato tsv | grep -q $'\tPelo terminal\t' || fail "--listar"
grep -qa "Pelo terminal" "$database" || fail "o lembrete não foi gravado em $database"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""
[ "$(stat -c %a "$(dirname "$database")")" = 700 ] || fail "a pasta de dados não é só do usuário"

[ "$before" = "$(snapshot)" ] || fail "algo foi gravado na pasta de instalação"

desktop-file-validate "$prefix/share/applications/example.zedozarir.lembrete.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/example.zedozarir.lembrete.metainfo.xml"
echo "instalação em $prefix: tudo certo"
