#!/bin/sh
# netget.exe under Wine against Linux curl, one run each, on the same 256 MiB
# body over TLS from nginx on loopback (the project's test CA, verified by both),
# written to a file; prints both times (Wine's start included) and their ratio.
# usage: bench/windows/netget_vs_curl.sh [WINDOWS_BUILD]   (default build/windows,
# after `make windows`)
set -eu
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$source_dir/build/windows}" && pwd)
netget=$build/tools/netget/netget.exe
[ -x "$netget" ] || { echo "no $netget: run make windows first" >&2; exit 2; }

work=$(mktemp -d /tmp/vornel-bench-XXXXXX)
nginx_pid=
cleanup() {
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

"$source_dir/tools/demo_server/make_test_ca" "$work/pki" >/dev/null 2>&1
mkdir -p "$work/www" "$work/tmp"
head -c 268435456 /dev/urandom >"$work/www/set.bin"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log warn;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $work/tmp;
  proxy_temp_path $work/tmp;
  fastcgi_temp_path $work/tmp;
  uwsgi_temp_path $work/tmp;
  scgi_temp_path $work/tmp;
  default_type application/octet-stream;
  sendfile on;
  server {
    listen 127.0.0.1:$port ssl;
    ssl_certificate $work/pki/server.pem;
    ssl_certificate_key $work/pki/server.key;
    root $work/www;
  }
}
CONF
/usr/sbin/nginx -p "$work/" -c "$work/nginx.conf" &
nginx_pid=$!
for _ in $(seq 100); do
  curl -s -o /dev/null --cacert "$work/pki/ca.pem" "https://127.0.0.1:$port/" && break
  sleep 0.05
done

url=https://127.0.0.1:$port/set.bin
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
now() { date +%s.%N; }

start=$(now)
curl -sS --cacert "$work/pki/ca.pem" -o "$work/curl.bin" "$url"
curl_s=$(echo "$(now) - $start" | bc)

start=$(now)
SSL_CERT_FILE="Z:$work/pki/ca.pem" wine "$netget" "$url" "Z:$work/netget.bin"
netget_s=$(echo "$(now) - $start" | bc)

cmp "$work/www/set.bin" "$work/curl.bin"
cmp "$work/www/set.bin" "$work/netget.bin"
printf 'curl (Linux):        %6.2f s\n' "$curl_s"
printf 'netget.exe (Wine):   %6.2f s\n' "$netget_s"
printf 'ratio netget/curl:   %6.2f\n' "$(echo "$netget_s / $curl_s" | bc -l)"
