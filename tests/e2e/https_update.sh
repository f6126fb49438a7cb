#!/usr/bin/env bash
# A complete signed update over HTTPS from nginx, through the real player's
# check, check and update: the certificate comes from a throw-away CA made
# here, which only this test's own mount namespace trusts (the system's CA
# bundle is covered by one with that CA added; nothing of the client's
# certificate checking changes). First an update folder that redirects from
# https to plain http is refused.
bin=$1 top=$2 trust=${3:-signed}
[ "$(id -u)" -eq 0 ] || { echo "SKIP: needs root for a private mount namespace"; exit 77; }
if [ -z "${VELTARO_IN_NAMESPACE:-}" ]; then
    exec unshare --mount --propagation private env VELTARO_IN_NAMESPACE=1 "$0" "$@"
fi
. "$(dirname "$0")/xsession.sh"
. "$top/tools/portal.sh"

# The throw-away CA and a certificate for the loopback server.
tls=$work/tls && mkdir -p "$tls"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 1 \
    -subj "/CN=Veltaro test CA" -keyout "$tls/ca.key" -out "$tls/ca.pem" 2>/dev/null
openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=localhost" \
    -keyout "$tls/server.key" -out "$tls/server.csr" 2>/dev/null
printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' > "$tls/san"
openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial \
    -days 1 -extfile "$tls/san" -out "$tls/server.pem" 2>/dev/null
cat /etc/ssl/certs/ca-certificates.crt "$tls/ca.pem" > "$tls/bundle.pem"
mount --bind "$tls/bundle.pem" /etc/ssl/certs/ca-certificates.crt

# The portal on loopback (plain http, as ./run serves it).
start_portal "$bin/portal-server" "$top/demo/portal" "$work/portal.log"
export VELTARO_PORTAL_ROOT=${base}kinotray/ VELTARO_UPDATE_CHECK=always

# The update folder: a new updater and two files, published and signed.
release=$work/release && www=$work/www && mkdir -p "$release" "$www"
cp "$bin/update" "$release/update.new"
cp "$bin/player" "$release/player"
printf 'new in 5.1\r\n' > "$release/notes.txt"
"$bin/publish" --app-version 5.1 --updater-version 2.1 --updater update.new \
    --update-url https://localhost/update -s "$top/demo/update-key/demo.key" \
    "$release" "$www/update" > "$work/publish.log" 2>&1 ||
    { echo "publish failed"; cat "$work/publish.log"; exit 1; }

port=
for try in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 40000))
    mkdir -p "$work/nginx"
    cat > "$work/nginx.conf" <<CONF
daemon off;
user root;
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 64; }
http {
    access_log $work/nginx/access.log;
    default_type application/octet-stream;
    client_body_temp_path $work/nginx/body;
    proxy_temp_path $work/nginx/proxy;
    fastcgi_temp_path $work/nginx/fastcgi;
    uwsgi_temp_path $work/nginx/uwsgi;
    scgi_temp_path $work/nginx/scgi;
    server {
        listen 127.0.0.1:$port ssl;
        ssl_certificate $tls/server.pem;
        ssl_certificate_key $tls/server.key;
        root $www;
        location /downgrade/ { return 302 ${base}kinotray/update/\$request_uri; }
    }
}
CONF
    nginx -c "$work/nginx.conf" -p "$work/nginx" > "$work/nginx/out.log" 2>&1 &
    nginx_pid=$!
    pids+=($nginx_pid)
    wait_for 10 curl -sf --cacert "$tls/ca.pem" "https://localhost:$port/update/SHA256SUMS" && break
    kill "$nginx_pid" 2>/dev/null; port=
done
[ -n "$port" ] || { echo "nginx did not start"; cat "$work/nginx/error.log"; exit 1; }

# press_return TITLE: answers the message box of that title with its default.
press_return() {
    local window
    window=$(xdotool search --onlyvisible --name "$1" | tail -n 1)
    xdotool windowactivate --sync "$window" 2> /dev/null || true
    xdotool key Return
}

install=$work/install

# An https update URL that sends the client to plain http: refused, so the
# main window opens without a question, however the scheme is written.
for scheme in https HTTPS; do
    "$top/tools/make-install-folder" "$bin" "$install" "$scheme://localhost:$port/downgrade/update"
    "$install/player" > "$work/player1.log" 2>&1 &
    player=$!
    wait_for 60 xdotool search --onlyvisible --name '^Veltaro5\.0$' || { echo "FAIL: no main window"; cat "$work/player1.log"; exit 1; }
    sleep 2
    if xdotool search --onlyvisible --name '^在线更新$' > /dev/null || grep -q 'kinotray/update/' "$work/portal.log"; then
        echo "FAIL: the redirect from $scheme to plain http was followed"; exit 1
    fi
    kill "$player"; wait "$player" 2>/dev/null || true
    echo "ok: a redirect from $scheme to http is refused"
done

# The real update: question, check, updater, done.
"$top/tools/make-install-folder" "$bin" "$install" "https://localhost:$port/update"
"$install/player" > "$work/player2.log" 2>&1 &
wait_for 60 xdotool search --onlyvisible --name '^在线更新$' || { echo "FAIL: no update question"; cat "$work/player2.log"; exit 1; }
press_return '^在线更新$'
wait_for 60 xdotool search --onlyvisible --name '在线更新程序2\.0' || { echo "FAIL: the updater did not start"; exit 1; }
cmp -s "$install/update" "$release/update.new" || { echo "FAIL: check did not install the new updater"; exit 1; }
xdotool mousemove --window "$(xdotool search --onlyvisible --name '在线更新程序2\.0' | head -n 1)" 300 212 click 1
wait_for 60 xdotool search --onlyvisible --name '^在线更新$' || { echo "FAIL: no message after the update"; exit 1; }
press_return '^在线更新$'
wait_for 60 xdotool search --onlyvisible --name '^Veltaro5\.0$' || { echo "FAIL: player did not start again"; exit 1; }

grep -q $'^5.1\r$' "$install/ClientInfor.inf" || { echo "FAIL: ClientInfor.inf does not name 5.1"; cat "$install/ClientInfor.inf"; exit 1; }
cmp -s "$install/notes.txt" "$release/notes.txt" || { echo "FAIL: notes.txt not installed"; exit 1; }
# A build without a key checks the sums but has no use for their signature.
fetched=(UpdateInfor.inf SHA256SUMS update.new notes.txt player)
[ "$trust" = signed ] && fetched+=(SHA256SUMS.minisig)
for path in "${fetched[@]}"; do
    grep -q "GET /update/$path " "$work/nginx/access.log" || { echo "FAIL: $path never fetched over https"; exit 1; }
done
echo "ok: a signed update over https installed 5.1"
