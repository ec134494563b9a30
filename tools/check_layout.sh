#!/usr/bin/env bash
# Checks the layout of src/: the folders include each other's headers in one
# direction only (no circle of folders, and the window folders in their
# tiers: shell and lobby -> client, dialogs, tallywindow -> widgets -> core),
# and no source file grows past the line limit.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=600
status=0

# Folder edges "from to", one per line, from the #include "folder/file" lines.
edges=$(grep -rHoE '^#include "[a-z_]+/' src --include='*.h' --include='*.cpp' |
    sed -E 's@^src/([a-z_]+)/[^:]*:#include "([a-z_]+)/$@\1 \2@' |
    awk '$1 != $2' | sort -u)

# A circle exists exactly when tsort cannot order the folders.
if ! cycle=$(printf '%s\n' "$edges" | tsort 2>&1 >/dev/null) || [ -n "$cycle" ]; then
    echo "check_layout: folders of src/ include each other in a circle:"
    printf '%s\n' "$cycle" | sed 's/^tsort: /  /'
    echo "check_layout: folder arrows:"
    printf '%s\n' "$edges" | sed 's/^/  /'
    status=1
fi

# The window tiers; every other folder is core (QtCore only) and tier 0. A
# folder includes only from folders of a lower tier, or core from core.
tier() {
    case $1 in
    widgets) echo 1 ;;
    client | dialogs | tallywindow) echo 2 ;;
    shell | lobby) echo 3 ;;
    *) echo 0 ;;
    esac
}
while read -r from to; do
    [ -z "$from" ] && continue
    f=$(tier "$from")
    t=$(tier "$to")
    if [ "$t" -ge "$f" ] && [ "$f" -ne 0 ]; then
        echo "check_layout: src/$from includes from src/$to, which is not below it:"
        grep -rlE "^#include \"$to/" "src/$from" | sed 's/^/  /'
        status=1
    elif [ "$f" -eq 0 ] && [ "$t" -ne 0 ]; then
        echo "check_layout: core folder src/$from includes from window folder src/$to"
        status=1
    fi
done <<<"$edges"

while read -r lines file; do
    [ "$file" = total ] && continue
    [ "$lines" -le "$limit" ] && continue
    echo "check_layout: $file has $lines lines (over $limit)"
    status=1
done < <(find src -name '*.cpp' -o -name '*.h' | sort | xargs wc -l)

[ "$status" -eq 0 ] && echo "check_layout: no folder circle; files within $limit lines"
exit "$status"
