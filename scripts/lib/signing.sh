# Authenticode signing of the programs and packages with osslsigncode.
# shellcheck shell=bash
#
# The key: KESTRANE_SIGNING_PKCS12 names a PKCS#12 file with the code-signing
# certificate and its key, KESTRANE_SIGNING_PASSWORD holds its password (it
# goes to osslsigncode through a private file, never on a command line).
# Without them a throwaway test CA and certificate are made under
# build/signing/. KESTRANE_TIMESTAMP_URL, when set, names an RFC 3161
# time-stamping server.

SIGNING_DIR="$BUILD/signing"
SIGN_PRODUCT="Kestrane Workstation Screen Saver"
SIGN_URL="http://www.varnel.example"
SIGN_P12=""
SIGN_PASSFILE=""

# A CA and a code-signing certificate that it issued, made once per build tree.
make_test_signing_key() {
  local d=$SIGNING_DIR
  mkdir -p "$d"
  chmod 700 "$d"
  if [ ! -f "$d/test-signing.p12" ] || [ ! -f "$d/test-ca.crt" ] || [ ! -f "$d/test-signing.pass" ]; then
    (
      umask 077
      openssl rand -hex 24 > "$d/test-signing.pass"
      openssl req -x509 -newkey rsa:3072 -nodes -sha256 -days 3650 -keyout "$d/test-ca.key" -out "$d/test-ca.crt" \
        -subj "/CN=Kestrane Workstation throwaway test CA" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
      openssl req -newkey rsa:3072 -nodes -sha256 -keyout "$d/test-signing.key" -out "$d/test-signing.csr" \
        -subj "/CN=Varnel test code signing/O=Varnel" 2>/dev/null
      printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
        > "$d/test-signing.ext"
      openssl x509 -req -sha256 -days 825 -in "$d/test-signing.csr" -CA "$d/test-ca.crt" -CAkey "$d/test-ca.key" \
        -CAcreateserial -extfile "$d/test-signing.ext" -out "$d/test-signing.crt" 2>/dev/null
      openssl pkcs12 -export -inkey "$d/test-signing.key" -in "$d/test-signing.crt" -certfile "$d/test-ca.crt" \
        -passout "file:$d/test-signing.pass" -out "$d/test-signing.p12"
    )
  fi
  chmod 644 "$d/test-ca.crt"
  SIGN_P12="$d/test-signing.p12"
  SIGN_PASSFILE="$d/test-signing.pass"
}

prepare_signing_key() {
  if [ -n "${KESTRANE_SIGNING_PKCS12:-}" ]; then
    [ -f "$KESTRANE_SIGNING_PKCS12" ] || { log "KESTRANE_SIGNING_PKCS12: no such file"; return 1; }
    mkdir -p "$SIGNING_DIR"
    chmod 700 "$SIGNING_DIR"
    SIGN_P12=$KESTRANE_SIGNING_PKCS12
    SIGN_PASSFILE="$SIGNING_DIR/given.pass"
    ( umask 077; printf '%s' "${KESTRANE_SIGNING_PASSWORD:-}" > "$SIGN_PASSFILE" )
    log "signing with $SIGN_P12"
  else
    make_test_signing_key
    log "signing with a throwaway test certificate (CA: $SIGNING_DIR/test-ca.crt); set KESTRANE_SIGNING_PKCS12 for a real one"
  fi
}

# sign_file unsigned signed: SHA-256 Authenticode signature naming the product.
sign_file() {
  local timestamp=()
  [ -n "${KESTRANE_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$KESTRANE_TIMESTAMP_URL")
  rm -f "$2"
  osslsigncode sign -pkcs12 "$SIGN_P12" -readpass "$SIGN_PASSFILE" -h sha256 \
    -n "$SIGN_PRODUCT" -i "$SIGN_URL" "${timestamp[@]}" -in "$1" -out "$2" >/dev/null
}

forget_signing_password() {
  [ -n "${KESTRANE_SIGNING_PKCS12:-}" ] && [ -n "$SIGN_PASSFILE" ] && rm -f "$SIGN_PASSFILE"
  return 0
}
