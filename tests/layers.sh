#!/bin/bash
# The layers of src/, checked on the sources themselves:
#   (a) only window code includes Qt Widgets or Qt Gui headers;
#   (b) a folder includes only from itself and the folders below it (the table below);
#   (c) no folder holds more than a sixth of the lines of src/ (the non-blank lines of
#       the .cpp and .h files directly in it, subfolders counted on their own).
# Usage: layers.sh <source root> <Qt include folders...> (the folders of QtWidgets and
# QtGui among them give the header names of (a)).
set -u
root=${1:?source root}
shift
cd "$root/src" || exit 2
failed=0
fail() {
    echo "$*"
    failed=1
}

# Each folder and the folders it includes directly; what those include it may include
# too. The order of the lines is the order of the layers, lowest first.
declare -A below=(
    [platform]=""
    [platform/libraries]=""
    [platform/files]="platform"
    [platform/udisks]="platform platform/files"
    [platform/drives]="platform platform/files platform/udisks"
    [platform/process]="platform/drives"
    [platform/desktop]="platform"
    [widgets]=""
    [storage]="platform platform/files"
    [unzip]="platform platform/libraries platform/files"
    [update/catalogue]="platform"
    [update/http]="platform platform/libraries platform/files"
    [signature]="update/catalogue platform/process platform/libraries"
    [update]="signature update/http unzip"
    [stick]="storage platform/drives"
    [winproc]="stick"
    [app/messages]="update"
    [format]="widgets platform/process app/messages"
    [format/fat32format]="platform/drives"
    [app]="app/messages format update winproc platform/desktop"
)
# The window code: the main window and the picker (app/, but not its words in
# app/messages/), the controls (widgets/), the window procedures (winproc/), the
# widget-backed platform (platform/desktop/) and the format wizard Form1.
is_window_file() {
    case "$1" in
    app/messages/*) return 1 ;;
    app/* | widgets/* | winproc/* | platform/desktop/* | format/Form1.*) return 0 ;;
    esac
    return 1
}

# The folders a folder may include from: itself and everything reachable in the table.
reachable() {
    local -A seen=()
    local todo=("$1") folder next
    while ((${#todo[@]})); do
        folder=${todo[0]}
        todo=("${todo[@]:1}")
        [[ -n ${seen[$folder]:-} ]] && continue
        seen[$folder]=1
        for next in ${below[$folder]:-}; do
            todo+=("$next")
        done
    done
    echo "${!seen[@]}"
}

# The table itself goes downwards only: no folder reaches itself through another.
for folder in "${!below[@]}"; do
    for next in ${below[$folder]}; do
        [[ -n ${below[$next]+x} ]] || fail "layers table: $folder names $next, which has no line"
        for back in $(reachable "$next"); do
            [[ $back == "$folder" ]] && fail "layers table: $folder and $next include each other"
        done
    done
done

folders=$(find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||; s|/[^/]*$||' | sort -u)

# (a) Qt Widgets and Qt Gui headers outside the window code.
declare -A guiHeader=()
for dir in "$@"; do
    case "$dir" in
    */QtWidgets | */QtGui)
        for header in "$dir"/*; do
            guiHeader[${header##*/}]=1
        done
        ;;
    esac
done
((${#guiHeader[@]})) || fail "no Qt Widgets or Gui headers found in: $*"
while IFS= read -r file; do
    is_window_file "$file" && continue
    while IFS= read -r line; do
        header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<([^>]*)>.*/\1/' <<<"$line")
        case "$header" in
        QtWidgets/* | QtGui/*) fail "$file includes <$header>, a Qt Widgets or Gui header" ;;
        *) [[ -n ${guiHeader[$header]:-} ]] && fail "$file includes <$header>, a Qt Widgets or Gui header" ;;
        esac
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*<' "$file")
done < <(find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||' | sort)

# (b) Every include of the project's own headers goes to the folder itself or below it.
for folder in $folders; do
    [[ -n ${below[$folder]+x} ]] || {
        fail "$folder has no line in the layers table"
        continue
    }
    allowed=" $(reachable "$folder") "
    for file in "$folder"/*.cpp "$folder"/*.h; do
        [[ -f $file ]] || continue
        while IFS= read -r target; do
            [[ $target == */* ]] || continue # beside the file itself
            to=${target%/*}
            # fat32format's headers are named from src/format.
            [[ -d $to || ! -d format/$to ]] || to=format/$to
            [[ $allowed == *" $to "* ]] || fail "$file includes $target: $to is not below $folder"
        done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/p' "$file")
    done
done

# (c) No folder holds more than a sixth of the lines.
lines_in() {
    cat "$1"/*.cpp "$1"/*.h 2>/dev/null | grep -cv '^[[:space:]]*$'
}
total=0
declare -A count=()
for folder in $folders; do
    count[$folder]=$(lines_in "$folder")
    total=$((total + count[$folder]))
done
for folder in $folders; do
    ((count[$folder] * 6 > total)) &&
        fail "$folder holds ${count[$folder]} of the $total lines of src/, more than a sixth"
done

((failed == 0)) && echo "layers: ${#below[@]} folders, $total lines, every include downwards"
exit $failed
