# A TLS server on the Linux side for the Windows checks, sourced like
# windows-simulator.sh; the sourcing script defines fail().
#
# make_test_certificates FOLDER: in FOLDER a test CA (ca.pem), a server
# certificate it signs for 127.0.0.1 and localhost (server.pem, server.key)
# and a second, unrelated CA (wrong-ca.pem). Made for each run, never kept.
make_test_certificates() {
    local folder=$1 name
    mkdir -p "$folder"
    for name in ca wrong-ca; do
        openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 \
            -subj "/CN=Vantrel test $name" -keyout "$folder/$name.key" -out "$folder/$name.pem" \
            >"$folder/openssl.log" 2>&1 || { cat "$folder/openssl.log" >&2; fail "cannot make the $name certificate"; }
    done
    openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=127.0.0.1" \
        -keyout "$folder/server.key" -out "$folder/server.csr" >"$folder/openssl.log" 2>&1 &&
    openssl x509 -req -in "$folder/server.csr" -CA "$folder/ca.pem" -CAkey "$folder/ca.key" \
        -set_serial "0x$(openssl rand -hex 8)" -days 2 -out "$folder/server.pem" \
        -extfile <(printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n') >"$folder/openssl.log" 2>&1 ||
        { cat "$folder/openssl.log" >&2; fail "cannot make the server certificate"; }
}

# start_tls_server FOLDER: "openssl s_server" with FOLDER's server certificate
# on a free loopback port, answering each line reversed; sets $tls_port and
# $tls_pid.
source "$(dirname "${BASH_SOURCE[0]}")/background-server.sh"
tls_pid=""
start_tls_server() {
    local folder=$1 listening
    openssl s_server -accept 127.0.0.1:0 -cert "$folder/server.pem" -key "$folder/server.key" -rev \
        </dev/null >"$folder/s_server.out" 2>&1 &
    tls_pid=$!
    listening=$(wait_listening "$folder/s_server.out" '^ACCEPT 127\.0\.0\.1:\([0-9]*\)$' "$tls_pid") ||
        fail "openssl s_server did not start"
    tls_port=$listening
}

stop_tls_server() {
    end_quietly "$tls_pid"
    tls_pid=""
}
