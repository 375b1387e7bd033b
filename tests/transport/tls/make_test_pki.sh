#!/bin/sh
# Makes a test CA and server certificates in folder $1: valid.pem (for localhost
# and 127.0.0.1, issued by the CA), expired.pem, wrongname.pem (for other.example)
# and selfsigned.pem, each with its .key; the CA is ca.pem.
set -eu
cd "$1"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }

key ca.key
openssl req -x509 -new -key ca.key -out ca.pem -days 3 -subj "/CN=Vornel Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"

mkdir -p issued
: > index.txt
echo 1000 > serial
cat > ca.cnf <<CNF
[ca]
default_ca = test_ca
[test_ca]
dir = .
database = index.txt
serial = serial
new_certs_dir = issued
certificate = ca.pem
private_key = ca.key
default_md = sha256
policy = any
unique_subject = no
copy_extensions = none
[any]
commonName = supplied
CNF

issue() {  # name, common name, subjectAltName, extra ca arguments
  name=$1
  key "$name.key"
  openssl req -new -key "$name.key" -out "$name.csr" -subj "/CN=$2"
  printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$3" > "$name.ext"
  shift 3
  openssl ca -batch -notext -config ca.cnf -in "$name.csr" -out "$name.pem" \
    -extfile "$name.ext" "$@" 2>/dev/null
}
issue valid localhost "DNS:localhost,IP:127.0.0.1" -days 2
issue expired localhost "DNS:localhost,IP:127.0.0.1" \
  -startdate 20200101000000Z -enddate 20200102000000Z
issue wrongname other.example "DNS:other.example" -days 2

key selfsigned.key
openssl req -x509 -new -key selfsigned.key -out selfsigned.pem -days 2 -subj "/CN=localhost" \
  -addext "subjectAltName=DNS:localhost,IP:127.0.0.1"
