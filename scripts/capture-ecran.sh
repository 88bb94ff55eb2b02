#!/usr/bin/env bash
# Makes docs/capture.png, the picture in the README: the real game on the real level
# (map/base_map.txt), run in a virtual X server of its own, after the hero has walked a few steps.
# Usage, from anywhere: bash scripts/capture-ecran.sh   (ORPA_BUILD names the build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/dependances.sh ca-certificates g++ make cmake libsfml-dev xvfb xauth xdotool imagemagick

for fichier in map/base_map.txt tilesets/Pelmur.png; do
    if [ ! -f "$fichier" ]; then
        echo "missing $fichier: make the game's assets first" >&2
        exit 1
    fi
done

build=${ORPA_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DORPA_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target orpa

temp=$(mktemp -d)
pid_xvfb=
pid_jeu=
arrete() {
    for pid in $pid_jeu $pid_xvfb; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$temp"
}
trap arrete EXIT

# Xvfb picks a free display and writes its number on fd 3 once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$temp/display" 2>"$temp/xvfb.log" &
pid_xvfb=$!
for _ in $(seq 200); do
    grep -q . "$temp/display" 2>/dev/null && break
    sleep 0.1
done
DISPLAY=:$(tr -d '\n' <"$temp/display")
export DISPLAY

"$build/orpa" >"$temp/orpa.log" 2>&1 &
pid_jeu=$!
fenetre=$(timeout 20 xdotool search --sync --name '^Orpa SFML$' | head -n 1)
# No window manager: give the window the keyboard ourselves.
xdotool windowfocus "$fenetre"
sleep 1

# A short walk, so that the picture shows the hero away from his corner, facing down.
for touche in Right Right Right Right Right Right Down Down Down Down Down Down; do
    xdotool key "$touche"
    sleep 0.2
done
sleep 0.5

mkdir -p docs
# No date chunks: the same picture gives the same file.
import -window "$fenetre" -strip -define png:exclude-chunks=date,time docs/capture.png
echo "docs/capture.png: $(identify -format '%w x %h' docs/capture.png)"
