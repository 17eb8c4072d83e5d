#!/usr/bin/env bash
# The main job, end to end: a page loads the plug-in module through a host
# (HostWire by default; the NPAPI browser and the COM container serve too), generates a GOST R 34.10-2012 key pair, has a demo CA certify
# it, signs a text with it, and openssl checks the signature. The user's
# answers to the plug-in's dialogs (site check, passwords) come from answer
# files. Usage: demo.sh BUILD_DIR [wirehost|npbrowser|comhost]
set -euo pipefail
build=$(cd "$1" && pwd)
hostname=${2:-wirehost}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case "$hostname" in
  wirehost) host="$build/tools/wirehost/wirehost" ;;
  npbrowser) host="$build/tools/npbrowser/npbrowser" ;;
  comhost) host="$build/tools/comhost/comhost" ;;
  *) echo "demo: unknown host $hostname" >&2; exit 2 ;;
esac
module="$build/Velon/module/libnpVelon.so"
site="https://bank.example/pay"
password="Demo-Passw0rd!"
text="Pay 100.00 to Orvanta demo account 40702810"
export DRAVIK_HOME="$work/dravik"
mkdir -p "$DRAVIK_HOME"

# openssl with the GOST engine, for the demo CA and the final check.
engine=$(find /usr/lib -name gost.so -path '*engines-3*' | head -n 1)
cat > "$work/openssl.cnf" <<CNF
openssl_conf = openssl_def
[openssl_def]
engines = engine_section
[engine_section]
gost = gost_section
[gost_section]
engine_id = gost
dynamic_path = $engine
default_algorithms = ALL
CNF
export OPENSSL_CONF="$work/openssl.cnf"

js_string() { python3 -c 'import json,sys; print(json.dumps(sys.stdin.read()))'; }
section() { sed -n "/^-- $1 --\$/,/^-- end of $1 --\$/p" | sed '1d;$d'; }
step() { printf '\n== %s\n' "$*"; }

step "The page asks for a key pair (the site check and the new password are answered for the user)"
cat > "$work/generate.answers" <<ANS
# the site is not on the trusted list: continue, without remembering it
dialog
key enter
# the new key's password, twice
dialog
type EDIT[0] $password
type EDIT[1] $password
key enter
ANS
printf 'var DEMO = {keyPath: %s};\n' "$(printf '%s' "$work/keys/demo" | js_string)" > "$work/generate.js"
cat "$here/generate.js" >> "$work/generate.js"
"$host" --module "$module" --page "$work/generate.js" --url "$site" --answers "$work/generate.answers" \
  | tee "$work/generate.out"
section "certificate request" < "$work/generate.out" > "$work/request.pem"
[ -s "$work/request.pem" ] || { echo "demo: no certificate request came back" >&2; exit 1; }

step "A demo CA certifies the key"
openssl genpkey -algorithm gost2012_256 -pkeyopt paramset:A -out "$work/ca.key" 2>/dev/null
openssl req -x509 -new -key "$work/ca.key" -subj "/CN=Orvanta Demo CA" -days 30 -out "$work/ca.pem"
printf 'keyUsage = critical, digitalSignature, nonRepudiation\n' > "$work/user.ext"
openssl x509 -req -in "$work/request.pem" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial \
  -days 30 -extfile "$work/user.ext" -out "$work/cert.pem" 2>/dev/null
openssl x509 -in "$work/cert.pem" -noout -subject -issuer

step "The page signs a text with the key and its certificate"
cat > "$work/sign.answers" <<ANS
dialog
key enter
# the key's password
dialog
type EDIT[0] $password
key enter
ANS
{
  printf 'var DEMO = {keyPath: %s, ' "$(printf '%s' "$work/keys/demo" | js_string)"
  printf 'certificate: %s, ' "$(js_string < "$work/cert.pem")"
  printf 'text: %s};\n' "$(printf '%s' "$text" | js_string)"
  cat "$here/sign.js"
} > "$work/sign.js"
"$host" --module "$module" --page "$work/sign.js" --url "$site" --answers "$work/sign.answers" \
  | tee "$work/sign.out"
section "signature" < "$work/sign.out" > "$work/signature.pem"
[ -s "$work/signature.pem" ] || { echo "demo: no signature came back" >&2; exit 1; }

step "openssl checks the signature"
openssl cms -verify -binary -inform PEM -in "$work/signature.pem" -CAfile "$work/ca.pem" -out "$work/signed.bin"
printf 'signed content (UTF-16LE, as the plug-in signs text): %s\n' "$(iconv -f UTF-16LE -t UTF-8 "$work/signed.bin")"
