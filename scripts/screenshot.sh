#!/usr/bin/env bash
# Starts the editor under Xvfb and saves a screenshot of the screen.
# Usage: scripts/screenshot.sh [output.png] [seconds-to-wait]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/editor.png}"
wait="${2:-2}"
for p in xvfb xauth imagemagick; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || {
        echo "needs the Debian packages xvfb xauth imagemagick" >&2
        exit 1
    }
done
[ -x build/zelquor-editor ] || ./scripts/setup.sh
xvfb-run -a -s "-screen 0 700x600x24" sh -c "
    ./build/zelquor-editor & pid=\$!
    sleep $wait
    import -window root -crop 700x600+0+0 '$out'
    kill \$pid"
echo "saved $out"
