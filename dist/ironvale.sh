#!/bin/sh
# ironvale: starts the installed game from the per-user state folder, so its
# log.txt lands there ($XDG_STATE_HOME/ironvale, by default
# ~/.local/state/ironvale) instead of wherever the desktop started it.
state="${XDG_STATE_HOME:-${HOME:?HOME is not set}/.local/state}/ironvale"
mkdir -p "$state" || { echo "ironvale: cannot create $state" >&2; exit 1; }
cd "$state" || exit 1
# The game finds its data from its own path, so call it by its full name.
here=$(dirname "$(readlink -f "$0")")
exec "$here/ironvale-x11" "$@"
