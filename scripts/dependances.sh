#!/usr/bin/env bash
# Installs the Debian packages named as arguments that are not installed yet.
# Runs apt-get only when something is missing, through sudo when not root.
set -euo pipefail

manquants=()
for paquet in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$paquet" 2>/dev/null | grep -q "install ok installed"; then
        manquants+=("$paquet")
    fi
done
[ ${#manquants[@]} -eq 0 ] && exit 0

echo "Installing: ${manquants[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${manquants[@]}"
