#!/usr/bin/env bash
# Makes the certificates the TLS tests use: a test authority, a server certificate it signs
# for 127.0.0.1 and localhost, one it signs for another name, one that expired, and one
# that signs itself. Valid for a hundred years, so they are made once and kept here.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
days=36500
key() { openssl ecparam -name prime256v1 -genkey -noout -out "$1"; }

key ca.key
openssl req -x509 -new -key ca.key -days $days -subj "/CN=Strandmoor Test Authority" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" -out ca.pem

# Signs a request for a server with the test authority: sign NAME SUBJECT_ALT_NAMES [CA OPTIONS]
sign() {
    local name=$1 names=$2
    shift 2
    key "$work/$name.key"
    openssl req -new -key "$work/$name.key" -subj "/CN=$name" -out "$work/$name.csr"
    printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$names" > "$work/$name.ext"
    "$@" -in "$work/$name.csr" -extfile "$work/$name.ext" -out "$work/$name.crt"
    cat "$work/$name.crt" "$work/$name.key" > "$name.pem"
}

sign server "IP:127.0.0.1,DNS:localhost" \
    openssl x509 -req -CA ca.pem -CAkey ca.key -CAcreateserial -days $days
sign wrong-name "DNS:other.test" \
    openssl x509 -req -CA ca.pem -CAkey ca.key -CAcreateserial -days $days

# An expired one needs dates in the past, which only `openssl ca` sets.
mkdir -p "$work/ca/newcerts"
: > "$work/ca/index.txt"
echo 1000 > "$work/ca/serial"
cat > "$work/ca.cnf" <<CNF
[ ca ]
default_ca = test
[ test ]
dir = $work/ca
database = \$dir/index.txt
new_certs_dir = \$dir/newcerts
serial = \$dir/serial
default_md = sha256
policy = anything
copy_extensions = none
[ anything ]
commonName = supplied
CNF
sign expired "IP:127.0.0.1,DNS:localhost" \
    openssl ca -batch -config "$work/ca.cnf" -cert ca.pem -keyfile ca.key -notext \
        -startdate 20200101000000Z -enddate 20200201000000Z

key "$work/self.key"
openssl req -x509 -new -key "$work/self.key" -days $days -subj "/CN=127.0.0.1" \
    -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" -out "$work/self.crt"
cat "$work/self.crt" "$work/self.key" > self-signed.pem

rm -f ca.key ca.srl
