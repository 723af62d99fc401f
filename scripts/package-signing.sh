# Code signing for the package step (sourced by scripts/package.sh): Authenticode signatures by
# osslsigncode with a certificate and key from a PKCS#12 file, whose password comes from the
# environment variable TARVIK_SIGN_PASSWORD and reaches the tools only through a pipe or the
# environment, never their command lines.

# The description the signature carries: the product name of the program's version information.
signature_description() {
  sed -n 's/^product=//p' package/product.txt
}

# sign_package PKCS12 TIMESTAMP_URL UNSIGNED SIGNED: signs UNSIGNED into SIGNED, with an
# RFC 3161 timestamp from TIMESTAMP_URL unless it is empty.
sign_package() {
  local pkcs12=$1 timestamp=$2 unsigned=$3 signed=$4
  local options=(-pkcs12 "$pkcs12" -readpass - -h sha256 -n "$(signature_description)")
  [[ -z $timestamp ]] || options+=(-ts "$timestamp")
  echo "package: signing with $pkcs12${timestamp:+, timestamp from $timestamp}"
  rm -f "$signed.part"
  printf %s "$TARVIK_SIGN_PASSWORD" |
    osslsigncode sign "${options[@]}" -in "$unsigned" -out "$signed.part" >/dev/null || {
    echo "package: signing failed" >&2
    rm -f "$signed.part"
    return 1
  }
  mv "$signed.part" "$signed"
}

# verify_signature PKCS12 SIGNED: verifies the signature of SIGNED, trusting the system's
# certificate authorities and the certificates of the PKCS#12 file (so that a certificate made
# for a test verifies too), and says who signed.
verify_signature() {
  local pkcs12=$1 signed=$2
  local trust
  trust=$(mktemp)
  [[ ! -f /etc/ssl/certs/ca-certificates.crt ]] || cat /etc/ssl/certs/ca-certificates.crt >"$trust"
  # Older files use ciphers that OpenSSL 3 reads only with its legacy provider.
  openssl pkcs12 -in "$pkcs12" -nokeys -passin env:TARVIK_SIGN_PASSWORD >>"$trust" 2>/dev/null ||
    openssl pkcs12 -legacy -in "$pkcs12" -nokeys -passin env:TARVIK_SIGN_PASSWORD >>"$trust" \
      2>/dev/null || true
  local report status=0
  report=$(osslsigncode verify -in "$signed" -CAfile "$trust" 2>&1) || status=$?
  rm -f "$trust"
  if ((status != 0)) || ! grep -q "^Signature verification: ok" <<<"$report"; then
    echo "$report" >&2
    echo "package: the signature of $signed does NOT verify" >&2
    return 1
  fi
  local signer
  signer=$(awk '/^Signer.s certificate:/ { found = 1 }
                found && /Subject:/ { sub(/^[ \t]*Subject: /, ""); print; exit }' <<<"$report")
  echo "package: the signature of $(basename "$signed") verified; signed by $signer"
  grep -q "^Timestamp is not available" <<<"$report" || echo "package: the signature is timestamped"
}
