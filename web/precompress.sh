#!/usr/bin/env bash
# Writes FILE.br (brotli) and FILE.gz (gzip) beside each file of the built
# page that compresses, where they are missing or older than the file. The
# server sends the form a browser takes and passes over a stale one.
#
#   web/precompress.sh BUILD_DIR
set -euo pipefail
dir="$1"
cd "$dir"
mapfile -t files < <(find index.html page.js credits.html quarvex.js quarvex.wasm quarvex.data \
  fonts data -type f \( -name '*.html' -o -name '*.js' -o -name '*.wasm' -o -name '*.data' \
  -o -name '*.txt' -o -name '*.wav' \) 2>/dev/null | LC_ALL=C sort)
for file in "${files[@]}"; do
  if [[ ! "$file.gz" -nt "$file" ]]; then
    gzip -9 -n -c "$file" >"$file.gz.part" && mv "$file.gz.part" "$file.gz"
  fi
  if command -v brotli >/dev/null && [[ ! "$file.br" -nt "$file" ]]; then
    brotli -q 11 -n -f -o "$file.br" "$file"
  fi
done
