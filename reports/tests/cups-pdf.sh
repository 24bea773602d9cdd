#!/bin/sh
# Starts a private CUPS server with one PDF printer for the printing test:
#   cups-pdf.sh iniciar DIR   (prints nothing; the socket is DIR/cups.sock)
#   cups-pdf.sh parar DIR
# The printer "TalvanoPDF" writes each job as a PDF into DIR/saida. Nothing of
# the machine's own printing set-up is touched but one cups-pdf instance file.
set -eu
acao=$1
dir=$2
if [ "$acao" = parar ]; then
    [ -f "$dir/cupsd.pid" ] && kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
    exit 0
fi
rm -rf "$dir"
# Without CUPS, cups-pdf or root rights the printing test skips itself (no socket).
command -v cupsd >/dev/null || { echo "cupsd não está instalado (pacote cups)"; exit 0; }
[ -x /usr/lib/cups/backend/cups-pdf ] || { echo "cups-pdf não está instalado (pacote printer-driver-cups-pdf)"; exit 0; }
[ "$(id -u)" -eq 0 ] || { echo "o servidor CUPS de teste precisa do usuário root"; exit 0; }
mkdir -p "$dir/spool/tmp" "$dir/log" "$dir/cache" "$dir/state" "$dir/saida" "$dir/ppd"
chmod 1777 "$dir/saida"
cat > "$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
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
cat > "$dir/cups-files.conf" <<CONF
ServerRoot $dir
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User lp
Group lp
SystemGroup root
CONF
# cups-pdf reads its settings for the instance "talvano" from /etc/cups.
cat > /etc/cups/cups-pdf-talvano.conf <<CONF
Out $dir/saida
AnonDirName $dir/saida
Label 1
TitlePref 0
CONF
cupsd -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" -f </dev/null >/dev/null 2>&1 &
echo $! > "$dir/cupsd.pid"
i=0
until [ -S "$dir/cups.sock" ]; do
    i=$((i + 1)); [ $i -gt 100 ] && { echo "o servidor CUPS não iniciou"; cat "$dir/log/error_log" 2>/dev/null; exit 1; }
    sleep 0.1
done
CUPS_SERVER=$dir/cups.sock lpadmin -p TalvanoPDF -E -v cups-pdf:/talvano -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
CUPS_SERVER=$dir/cups.sock lpadmin -d TalvanoPDF
