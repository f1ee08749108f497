#!/bin/sh
# Starts the demo in its data directory: the program reads its sprites as DATA\Textures\... relative
# to its working directory. Installed as bin/particles; finds the rest of the installation from
# where it lies, so the whole tree can sit under any prefix.
bin=$(dirname "$(readlink -f "$0")")
prefix=$(dirname "$bin")
cd "$prefix/share/particles" || exit 1
exec "$prefix/lib/particles/particles" "$@"
