#!/usr/bin/env bash
# Signs a download folder for the update tool: writes usb-sha256.txt (the SHA-256 of every
# file in the folder, one "<64 hex digits><two spaces><name>" line each, LF, sorted by name)
# and usb-sha256.txt.sig (the 64-byte Ed25519 signature of the list's exact bytes) into it.
#   scripts/sign-download-folder.sh KEY.pem FOLDER
# KEY.pem is the distributor's private Ed25519 key; make one with
#   openssl genpkey -algorithm ed25519 -out KEY.pem
# and give the program its public half, installed into <program folder>/keys/:
#   openssl pkey -in KEY.pem -pubout -out distributor.pem
# Sign again after every change to the folder: a file that no longer matches its line is
# refused by the program. Files in subfolders and hidden files are not listed.
set -euo pipefail
if [ $# -ne 2 ] || [ ! -f "$1" ] || [ ! -d "$2" ]; then
    echo "usage: $0 KEY.pem FOLDER" >&2
    exit 2
fi
key=$(realpath "$1")
folder=$(realpath "$2")
list=usb-sha256.txt
cd "$folder"

tmp_list=$(mktemp "$folder/.$list.XXXXXX")
tmp_sig=$(mktemp "$folder/.$list.sig.XXXXXX")
tmp_pub=$(mktemp)
trap 'rm -f "$tmp_list" "$tmp_sig" "$tmp_pub"' EXIT

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
echo "signed $count files in $folder"
