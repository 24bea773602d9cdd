#!/bin/sh
# Starts a private CUPS server with one PDF printer for the printing test:
#   cups-pdf.sh iniciar DIR   (prints nothing; the socket is DIR/cups.sock)
#   cups-pdf.sh parar DIR
# The printer "TalvanoPDF" writes each job as a PDF into DIR/saida.
# CUPS runs its filters as the user lp, who cannot enter a clone kept in a
# private home (root's is 0700): the server's files live in a fresh folder
# under /tmp that lp can reach, and DIR is a link to it. Nothing of the
# machine's own printing set-up is touched but one cups-pdf instance file,
# named after that folder and removed on stop.
set -eu
acao=$1
dir=$2

# Stops the server DIR leads to, and removes its folder, its link and its instance file.
parar() {
    real=$dir
    [ -L "$dir" ] && real=$(readlink "$dir")
    if [ -d "$real" ]; then
        if [ -f "$real/cupsd.pid" ]; then
            pid=$(cat "$real/cupsd.pid")
            kill "$pid" 2>/dev/null || true
            # Waits for it to end (a zombie counts as ended), for a few seconds at most.
            i=0
            while [ $i -lt 50 ] && [ -e "/proc/$pid" ] &&
                [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" != Z ]; do
                i=$((i + 1))
                sleep 0.1
            done
        fi
        case "$real" in /tmp/talvano-cups-*)
            rm -f "/etc/cups/cups-pdf-$(basename "$real").conf"
            rm -rf "$real"
            ;;
        esac
    fi
    rm -rf "$dir"
}

parar
[ "$acao" = parar ] && exit 0

# Without CUPS, cups-pdf or root rights the printing test skips itself (no socket).
command -v cupsd >/dev/null || { echo "cupsd não está instalado (pacote cups)"; exit 0; }
[ -x /usr/lib/cups/backend/cups-pdf ] || { echo "cups-pdf não está instalado (pacote printer-driver-cups-pdf)"; exit 0; }
[ "$(id -u)" -eq 0 ] || { echo "o servidor CUPS de teste precisa do usuário root"; exit 0; }
real=$(mktemp -d /tmp/talvano-cups-XXXXXX)
chmod 755 "$real"
mkdir -p "$(dirname "$dir")"
ln -s "$real" "$dir"
instancia=$(basename "$real")
mkdir -p "$real/spool/tmp" "$real/log" "$real/cache" "$real/state" "$real/saida" "$real/ppd"
chmod 1777 "$real/saida"
cat > "$real/cupsd.conf" <<CONF
Listen $real/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat > "$real/cups-files.conf" <<CONF
ServerRoot $real
RequestRoot $real/spool
TempDir $real/spool/tmp
CacheDir $real/cache
StateDir $real/state
AccessLog $real/log/access_log
ErrorLog $real/log/error_log
PageLog $real/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User lp
Group lp
SystemGroup root
CONF
# cups-pdf reads the settings of an instance from /etc/cups/cups-pdf-INSTANCE.conf.
cat > "/etc/cups/cups-pdf-$instancia.conf" <<CONF
Out $real/saida
AnonDirName $real/saida
Label 1
TitlePref 0
CONF
cupsd -c "$real/cupsd.conf" -s "$real/cups-files.conf" -f </dev/null >/dev/null 2>&1 &
echo $! > "$real/cupsd.pid"
i=0
until [ -S "$real/cups.sock" ]; do
    i=$((i + 1)); [ $i -gt 100 ] && { echo "o servidor CUPS não iniciou"; cat "$real/log/error_log" 2>/dev/null; exit 1; }
    sleep 0.1
done
CUPS_SERVER=$real/cups.sock lpadmin -p TalvanoPDF -E -v "cups-pdf:/$instancia" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
CUPS_SERVER=$real/cups.sock lpadmin -d TalvanoPDF
