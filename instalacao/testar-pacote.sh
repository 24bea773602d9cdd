#!/usr/bin/env bash
# The Debian package as a user meets it: built from the build folder, installed with dpkg,
# a database created by an ordinary user, the installed program started on a private X
# server to its main window and closed, then the package removed cleanly. Whatever fails,
# the package does not stay installed.
#
#   instalacao/testar-pacote.sh PASTA_DO_BUILD
#
# Installing needs root (or sudo without a password); without it the test is skipped (77).
set -euo pipefail
build=$(realpath "$1")
raiz=$(cd "$(dirname "$0")/.." && pwd)
pular() { echo "SKIP: $*"; exit 77; }
falhar() { echo "FAIL: $*" >&2; exit 1; }

como_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || pular "installing a package needs root, and this machine has no sudo"
  sudo -n true 2>/dev/null || pular "installing a package needs root, and sudo asks for a password"
  como_root=(sudo -n)
fi
if dpkg-query -W -f='${Status}' talvano 2>/dev/null | grep -q 'install ok installed'; then
  pular "a talvano package is already installed on this machine; it is left alone"
fi
for p in cpack dpkg-deb Xvfb xdotool runuser; do
  command -v "$p" >/dev/null || falhar "the program $p is missing"
done

trabalho=$(mktemp -d /tmp/talvano-pacote-XXXXXX)
chmod 755 "$trabalho"
instalado= pid_x= pid_programa=
limpar() {
  [ -n "$pid_programa" ] && kill -9 "$pid_programa" 2>/dev/null
  [ -n "$pid_x" ] && kill "$pid_x" 2>/dev/null
  wait 2>/dev/null || true
  if [ -n "$instalado" ]; then
    "${como_root[@]}" dpkg -r talvano >/dev/null 2>&1 || "${como_root[@]}" dpkg --purge --force-all talvano >/dev/null 2>&1 || true
  fi
  rm -rf "$trabalho"
}
trap limpar EXIT
trap 'exit 143' TERM INT HUP # a test cut short by its timeout removes the package too

# --- The package, and its dependencies: every run-time package of tools/pacotes.txt, and the
# libraries the programs link, with their versions, as dpkg-shlibdeps found them.
(cd "$trabalho" && cpack --config "$build/CPackConfig.cmake" -B "$trabalho/pacote" >cpack.log 2>&1) ||
  { cat "$trabalho/cpack.log"; falhar "cpack did not build the package"; }
deb=$(find "$trabalho/pacote" -maxdepth 1 -name "talvano_*.deb" | head -n1)
[ -n "$deb" ] || { cat "$trabalho/cpack.log"; falhar "no .deb was made"; }
depende=$(dpkg-deb -f "$deb" Depends)
nomes=$(tr ',' '\n' <<<"$depende" | sed -E 's/^ *//; s/[ (].*//' | sort)
faltam=$(awk '$2 == "execucao" {print $1}' "$raiz/tools/pacotes.txt" | sort | comm -23 - <(uniq <<<"$nomes"))
[ -z "$faltam" ] || falhar "the package does not depend on the run-time packages: $faltam (Depends: $depende)"
repetidos=$(uniq -d <<<"$nomes")
[ -z "$repetidos" ] || falhar "the package names a dependency twice: $repetidos (Depends: $depende)"
for p in libc6 libstdc++6; do
  [[ ", $depende" == *", $p (>= "* ]] || falhar "the package has no versioned dependency on $p: $depende"
done

# --- What Debian asks of a package: lintian finds no error and no warning in it.
if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" >"$trabalho/lintian.log" 2>&1 || true
  if grep -qE '^[EW]: ' "$trabalho/lintian.log"; then
    cat "$trabalho/lintian.log"
    falhar "lintian finds errors or warnings in $(basename "$deb")"
  fi
else
  falhar "the program lintian is missing (tools/instalar-dependencias installs it)"
fi

# --- Installed by dpkg, with every file where a desktop looks for it.
instalado=1
"${como_root[@]}" dpkg -i "$deb" >"$trabalho/dpkg.log" 2>&1 || { cat "$trabalho/dpkg.log"; falhar "dpkg -i failed"; }
for f in /usr/bin/talvano /usr/bin/talvano-criar-base /usr/bin/talvano-copia \
  /usr/share/applications/talvano.desktop /usr/share/applications/talvano-copias.desktop \
  /usr/share/icons/hicolor/scalable/apps/talvano.svg /usr/share/doc/talvano/copyright \
  /usr/share/doc/talvano/changelog.gz /usr/share/doc/talvano/manual/manual-rapido.html; do
  [ -e "$f" ] || falhar "the package did not install $f"
done
for f in /usr/share/applications/talvano.desktop /usr/share/applications/talvano-copias.desktop; do
  grep -qx 'Categories=Office;' "$f" || falhar "the menu entry $f is not in Office"
done
grep -qx 'Exec=talvano-copia --janela' /usr/share/applications/talvano-copias.desktop ||
  falhar "the backups' menu entry does not open their window"
# Each program has its manual page, in Portuguese, which man shows without a warning.
for p in talvano talvano-criar-base talvano-copia; do
  pagina=/usr/share/man/man1/$p.1.gz
  [ -e "$pagina" ] || falhar "the package did not install $pagina"
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$pagina" >"$trabalho/man.txt" 2>"$trabalho/man.log" ||
    { cat "$trabalho/man.log"; falhar "man cannot show $pagina"; }
  [ ! -s "$trabalho/man.log" ] || { cat "$trabalho/man.log"; falhar "man warns about $pagina"; }
  grep -q '^DESCRIÇÃO' "$trabalho/man.txt" || falhar "the manual page $pagina has no DESCRIÇÃO"
done

# --- An ordinary user, with a home of its own, creates the database and starts the program.
usuario=talvano-teste
id -u "$usuario" >/dev/null 2>&1 ||
  "${como_root[@]}" useradd --system --no-create-home --shell /usr/sbin/nologin "$usuario"
home=$trabalho/home
mkdir "$home"
"${como_root[@]}" chown "$usuario" "$home"
# A sanitizer build's leak report is not what this test is about.
comum() {
  "${como_root[@]}" runuser -u "$usuario" -- env -u XDG_RUNTIME_DIR HOME="$home" \
    ASAN_OPTIONS=detect_leaks=0 "$@"
}
comum talvano-criar-base --modo completo >"$trabalho/criar.log" 2>&1 ||
  { cat "$trabalho/criar.log"; falhar "talvano-criar-base failed as an ordinary user"; }

exec {fd_x}>"$trabalho/display"
Xvfb -displayfd "$fd_x" -noreset -screen 0 1024x768x24 -nolisten tcp >"$trabalho/xvfb.log" 2>&1 &
pid_x=$!
exec {fd_x}>&-
display=
for ((i = 0; i < 300; i++)); do
  [ -s "$trabalho/display" ] && display=:$(head -n1 "$trabalho/display") &&
    DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break
  display=
  sleep 0.1
done
[ -n "$display" ] || { cat "$trabalho/xvfb.log"; falhar "the private X server does not answer"; }

# esperar_janela TITULO: waits for a window of the program started as $pid_programa whose
# title matches, and puts it in $janela. esperar_fim: waits for that program to end, and
# puts its exit status in $status; true when it ended with 0.
esperar_janela() {
  janela=
  for ((i = 0; i < 600; i++)); do
    janela=$(DISPLAY=$display xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1) || true
    [ -n "$janela" ] && return 0
    kill -0 "$pid_programa" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
esperar_fim() {
  status=
  for ((i = 0; i < 600; i++)); do
    kill -0 "$pid_programa" 2>/dev/null || { wait "$pid_programa" && status=0 || status=$?; break; }
    sleep 0.1
  done
  pid_programa=
  [ "$status" = 0 ]
}

# The manual is opened through xdg-open; with no desktop's handlers to find, it hands the
# address to $BROWSER, which here only writes it down.
printf '#!/bin/sh\necho "$1" > "%s/navegador.txt"\n' "$home" > "$trabalho/navegador.sh"
chmod 755 "$trabalho/navegador.sh"
comum DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_DATA_DIRS=/nenhuma BROWSER="$trabalho/navegador.sh" \
  /usr/bin/talvano >"$trabalho/programa.log" 2>&1 &
pid_programa=$!
esperar_janela '^Talvano  - V\.2\.2\.2$' ||
  { cat "$trabalho/programa.log"; falhar "the installed program did not show its main window"; }
sleep 0.5
# The installed program finds its manual where the package put it.
DISPLAY=$display xdotool mousemove --window "$janela" 491 242 click 1 # "Manual Rápido"
for ((i = 0; i < 100; i++)); do
  [ -s "$home/navegador.txt" ] && break
  sleep 0.1
done
manual=$(cat "$home/navegador.txt" 2>/dev/null || true)
[ "${manual%%#*}" = file:///usr/share/doc/talvano/manual/manual-rapido.html ] ||
  falhar "the installed program opened \"$manual\" as its manual"
DISPLAY=$display xdotool mousemove --window "$janela" 491 402 click 1 # "Sair"
esperar_fim ||
  { cat "$trabalho/programa.log"; falhar "the installed program did not end cleanly (status ${status:-still running})"; }
# Its normal end made the day's backup, through the installed helper, as the user.
ls "$home"/Talvano/Copias/DADOS-*.fbk >/dev/null 2>&1 ||
  { cat "$trabalho/programa.log"; falhar "the installed program made no backup at its end"; }

# The backups' window opens as its menu entry starts it, as the user; "Fechar" ends it.
comum DISPLAY="$display" QT_QPA_PLATFORM=xcb talvano-copia --janela >"$trabalho/copias.log" 2>&1 &
pid_programa=$!
esperar_janela '^Cópias de Segurança$' ||
  { cat "$trabalho/copias.log"; falhar "talvano-copia --janela did not show its window"; }
sleep 0.5
DISPLAY=$display xdotool mousemove --window "$janela" 684 459 click 1 # "Fechar"
esperar_fim ||
  { cat "$trabalho/copias.log"; falhar "the backups' window did not close cleanly (status ${status:-still running})"; }

# --- Removed cleanly: no file of the package stays.
"${como_root[@]}" dpkg -r talvano >"$trabalho/dpkg.log" 2>&1 || { cat "$trabalho/dpkg.log"; falhar "dpkg -r failed"; }
instalado=
dpkg-query -W -f='${Status}' talvano 2>/dev/null | grep -q 'install ok installed' && falhar "still installed after dpkg -r"
for f in /usr/bin/talvano /usr/bin/talvano-criar-base /usr/bin/talvano-copia \
  /usr/share/applications/talvano.desktop /usr/share/doc/talvano; do
  [ ! -e "$f" ] || falhar "$f stayed after dpkg -r"
done
echo "PASS: built, installed, used as an ordinary user and removed: $(basename "$deb")"
