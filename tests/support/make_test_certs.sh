#!/bin/sh
# Makes a throw-away certificate authority and TLS certificates for local test servers.
#
#   make_test_certs.sh OUT_DIR [HOST...]
#
# Writes into OUT_DIR:
#   ca.pem, ca.key, ca.der   the test authority (CA:TRUE); ca.der is what
#                            trust_test_ca_win.exe adds to a Wine prefix's Root store
#   server.pem, server.key   signed by the test authority for 127.0.0.1 (as an IP
#                            address and, for Wine, as a DNS name), localhost
#                            and every HOST given (subjectAltName, serverAuth)
#   self_signed.pem/.key     for the same names, signed by itself: trusted nowhere
# Keys are RSA 2048, valid 30 days; nothing here is secret. An existing OUT_DIR is
# reused only when it was made for the same hosts.
set -eu
out=$1
shift
names="IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost"
for host in "$@"; do names="$names,DNS:$host"; done

mkdir -p "$out"
if [ -f "$out/names" ] && [ "$(cat "$out/names")" = "$names" ] && [ -f "$out/self_signed.pem" ]; then
  exit 0
fi
cd "$out"
rm -f names

cat > server.ext <<EXT
basicConstraints=CA:FALSE
keyUsage=digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=$names
EXT

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Qingqu Test Authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout ca.key -out ca.pem 2>/dev/null
openssl x509 -in ca.pem -outform DER -out ca.der

openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout server.key -out server.csr 2>/dev/null
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 \
  -extfile server.ext -out server.pem 2>/dev/null

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=127.0.0.1" \
  -addext "subjectAltName=$names" -addext "extendedKeyUsage=serverAuth" \
  -keyout self_signed.key -out self_signed.pem 2>/dev/null

rm -f server.csr server.ext ca.srl
echo "$names" > names
