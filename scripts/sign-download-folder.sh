#!/usr/bin/env bash
# Signs a download folder for the update tool: writes usb-sha256.txt (first the line
# "# serial N", then the SHA-256 of every file in the folder, one "<64 hex digits><two spaces><name>"
# line each, LF, sorted by name) and usb-sha256.txt.sig (the 64-byte Ed25519 signature of the
# list's exact bytes) into it.
#   scripts/sign-download-folder.sh [--serial N] KEY.pem FOLDER
# N tells a newer list from an older one: the program refuses a list whose serial is lower
# than the highest it has accepted from the server. By default it is the UTC time
# (YYYYMMDDhhmmss); --serial gives it (1 to 19 digits, no leading zero). A serial lower than
# that of the list already in FOLDER is refused.
# KEY.pem is the distributor's private Ed25519 key; make one with
#   openssl genpkey -algorithm ed25519 -out KEY.pem
# and give the program its public half, installed into <program folder>/keys/:
#   openssl pkey -in KEY.pem -pubout -out distributor.pem
# Sign again after every change to the folder: a file that no longer matches its line is
# refused by the program. Files in subfolders and hidden files are not listed.
set -euo pipefail
usage() {
    echo "usage: $0 [--serial N] KEY.pem FOLDER" >&2
    exit 2
}
serial=$(date -u +%Y%m%d%H%M%S)
if [ "${1:-}" = --serial ]; then
    [ $# -ge 2 ] || usage
    serial=$2
    shift 2
fi
if [ $# -ne 2 ] || [ ! -f "$1" ] || [ ! -d "$2" ]; then
    usage
fi
valid_serial() { [[ "$1" =~ ^[1-9][0-9]{0,18}$ ]]; }
valid_serial "$serial" || { echo "refused: the serial '$serial' is not 1 to 19 digits without a leading zero" >&2; exit 2; }
key=$(realpath "$1")
folder=$(realpath "$2")
list=usb-sha256.txt
cd "$folder"

# The serial of the list already there: the new one must not be lower. Compared as numbers
# of up to 19 digits, which bash's 64-bit arithmetic cannot hold: first by length, then by digits.
if [ -f "$list" ]; then
    first=$(head -n 1 "$list" | tr -d '\r')
    if [[ "$first" == "# serial "* ]]; then
        previous=${first#"# serial "}
        valid_serial "$previous" || { echo "refused: the serial line of the existing $list is broken: '$first'" >&2; exit 1; }
        if [ ${#serial} -lt ${#previous} ] || { [ ${#serial} -eq ${#previous} ] && [[ "$serial" < "$previous" ]]; }; then
            echo "refused: the serial $serial is lower than $previous of the list already in $folder" >&2
            exit 1
        fi
    fi
fi

tmp_list=$(mktemp "$folder/.$list.XXXXXX")
tmp_sig=$(mktemp "$folder/.$list.sig.XXXXXX")
tmp_pub=$(mktemp)
trap 'rm -f "$tmp_list" "$tmp_sig" "$tmp_pub"' EXIT

printf '# serial %s\n' "$serial" > "$tmp_list"
count=0
while IFS= read -r -d '' name; do
    name=${name#./}
    case "$name" in
    "$list" | "$list.sig" | .*) continue ;;
    esac
    # The program takes only names it could also use as a file name on the stick.
    if [[ "$name" == *[[:cntrl:]\\:\<\>\"\|\?\*]* ]]; then
        echo "refused: the name '$name' holds a character the update tool does not accept" >&2
        exit 1
    fi
    digest=$(openssl dgst -sha256 -r -- "$name" | cut -d' ' -f1)
    [[ "$digest" =~ ^[0-9a-f]{64}$ ]] || { echo "no digest for '$name'" >&2; exit 1; }
    printf '%s  %s\n' "$digest" "$name" >> "$tmp_list"
    count=$((count + 1))
done < <(LC_ALL=C find . -maxdepth 1 -type f -print0 | LC_ALL=C sort -z)
[ "$count" -gt 0 ] || { echo "no files in $folder" >&2; exit 1; }
[ "$(stat -c %s "$tmp_list")" -le 65536 ] || { echo "the list is larger than 64 KiB" >&2; exit 1; }

openssl pkeyutl -sign -inkey "$key" -rawin -in "$tmp_list" -out "$tmp_sig"
# Checked with the public half before anything is replaced: a wrong key type fails here.
openssl pkey -in "$key" -pubout -out "$tmp_pub"
openssl pkeyutl -verify -pubin -inkey "$tmp_pub" -rawin -in "$tmp_list" -sigfile "$tmp_sig" > /dev/null
[ "$(stat -c %s "$tmp_sig")" -eq 64 ] || { echo "the key is no Ed25519 key" >&2; exit 1; }

chmod 644 "$tmp_list" "$tmp_sig"
mv -f "$tmp_list" "$list"
mv -f "$tmp_sig" "$list.sig"
echo "signed $count files in $folder with serial $serial"
