#!/bin/bash
# The programs signed by the build with a throw-away certificate, once from
# a certificate and its key and once from a PKCS#12 file with a password.
# Checks that osslsigncode accepts both signatures against that certificate
# and no other, that the payload holds the signed uninstaller (the native
# test of the shipped programs, reading the signed build), and that the
# signed setup.exe /X writes byte for byte what the unsigned one does, under
# the Wine that runs here. Builds only setup.exe and what it needs, in
# build/signed (32-bit) and, where the 64-bit build is the one that runs under
# Wine, build/signed64. Ends with a line "N of M checks passed".
set -euo pipefail
source "$(dirname "$0")/../tools/common.sh"
vl_become_builder "$@"
vl_choose_wine

signed=$VL_BUILD/signed
signed64=$VL_BUILD/signed64
keys=$VL_BUILD/signing-keys
rm -rf "$keys"
mkdir -p "$keys"

passed=0 failed=()
check() {
    local name=$1
    shift
    if "$@"; then
        echo "ok: $name"
        passed=$((passed + 1))
    else
        echo "FAILED: $name"
        failed+=("$name")
    fi
}

# A certificate for code signing, valid for two days.
make_certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$2" \
        -addext extendedKeyUsage=codeSigning -keyout "$1-key.pem" -out "$1.pem" 2>/dev/null
}
make_certificate "$keys/signer" "Vellorin test signer"
make_certificate "$keys/stranger" "Someone else"
echo "throw-away password" >"$keys/password"
openssl pkcs12 -export -in "$keys/signer.pem" -inkey "$keys/signer-key.pem" \
    -passout file:"$keys/password" -out "$keys/signer.p12"

verify() {
    osslsigncode verify -CAfile "$1" -in "$2" >"$keys/verify.log" 2>&1
}
# Builds setup.exe and the uninstaller of one architecture, signed as the
# options after the folder say; both must verify against the signer's
# certificate and not against another one.
build_and_verify() {
    local arch=$1 dir=$2 program
    shift 2
    cmake -S "$VL_ROOT" -B "$dir" -G Ninja -DBUILD_TESTING=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$VL_ROOT/cmake/toolchain-$arch-mingw.cmake" \
        -DVL_SIGN_CERT= -DVL_SIGN_KEY= -DVL_SIGN_PKCS12= -DVL_SIGN_PASSWORD_FILE= "$@" >"$keys/build.log" 2>&1 &&
        cmake --build "$dir" --target setup >>"$keys/build.log" 2>&1 || { cat "$keys/build.log"; return 1; }
    for program in "$dir/redud.exe" "$dir/setup.exe"; do
        verify "$keys/signer.pem" "$program" || { cat "$keys/verify.log"; return 1; }
        if verify "$keys/stranger.pem" "$program"; then
            echo "$program verifies against a certificate that did not sign it"
            return 1
        fi
    done
}

with_pem=(-DVL_SIGN_CERT="$keys/signer.pem" -DVL_SIGN_KEY="$keys/signer-key.pem")
with_pkcs12=(-DVL_SIGN_PKCS12="$keys/signer.p12" -DVL_SIGN_PASSWORD_FILE="$keys/password")
check "signed with a certificate and its key: both 32-bit programs verify" \
    build_and_verify i686 "$signed" "${with_pem[@]}"
check "signed from a PKCS#12 file: both 32-bit programs verify" \
    build_and_verify i686 "$signed" "${with_pkcs12[@]}"

vl_build_native shipped_program_tests >/dev/null
check "the signed 32-bit setup.exe read as a file: payload, signed uninstaller inside, manifest, size" \
    env VL_SHIPPED_BUILD="$signed" "$VL_BUILD/native/tests/shipped_program_tests" --gtest_brief=1

running_signed=$signed
if [ "$VL_ARCH" = x86_64 ]; then
    check "signed from a PKCS#12 file: both 64-bit programs verify" \
        build_and_verify x86_64 "$signed64" "${with_pkcs12[@]}"
    running_signed=$signed64
fi

# The signed setup.exe runs in the prefix of the unsigned build that runs
# here, from a folder inside that build: the prefix sees nothing else.
same_extraction() {
    vl_build_windows setup >/dev/null
    local scratch
    scratch=$(mktemp -d -p "$VL_WIN")
    mkdir "$scratch/signed" "$scratch/from-signed" "$scratch/from-unsigned"
    cp "$running_signed/setup.exe" "$scratch/signed/setup.exe"
    local status=0
    vl_with_wine bash -c '
        (cd "$1/from-unsigned" && "$2/wine-run" "$2/setup.exe" /X) &&
        (cd "$1/from-signed" && "$2/wine-run" "$1/signed/setup.exe" /X)' - "$scratch" "$VL_WIN" || status=$?
    local files expected
    files=$(find "$scratch/from-signed" -type f | wc -l)
    expected=$(grep -c '^file ' "$VL_WIN/generated/manifest.txt")
    echo "$files files extracted by each, $expected expected"
    diff -r "$scratch/from-unsigned" "$scratch/from-signed" && [ "$status" = 0 ] &&
        [ "$files" = "$expected" ] || status=1
    rm -rf "$scratch"
    return $status
}
check "the signed setup.exe /X writes what the unsigned one does ($VL_ARCH build under Wine)" same_extraction

echo "$passed of $((passed + ${#failed[@]})) checks passed"
[ ${#failed[@]} = 0 ]
