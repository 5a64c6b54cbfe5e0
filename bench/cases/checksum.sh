# SHA-256 of a 1 GiB file of varied bytes (not sparse: both read real pages)
# against sha256sum on the same file, after the page cache holds it for both.
peer_name="sha256sum"
CS_FILE="$FIXTURES/checksum/one-gib.bin"

prepare() {
  mkdir -p "$(dirname "$CS_FILE")"
  if [ ! -s "$CS_FILE" ]; then
    python3 - "$CS_FILE" <<'PY'
import hashlib, sys
block = b"".join(hashlib.sha256(str(i).encode()).digest() for i in range(32768))  # 1 MiB
with open(sys.argv[1], "wb") as f:
    for i in range(1024):
        f.write(block[i % 7:] + block[:i % 7])
PY
  fi
  cat "$CS_FILE" >/dev/null
}

run_arbel() { "$BENCH_BIN/bench_checksum" "$CS_FILE"; }
run_peer() { sha256sum "$CS_FILE"; }
extra() {
  a=$("$BENCH_BIN/bench_checksum" "$CS_FILE" | cut -d' ' -f1)
  p=$(sha256sum "$CS_FILE" | cut -d' ' -f1)
  # CPU time as well: on a shared machine the wall time mostly measures the others.
  /usr/bin/time -f "  arbel: %U s user, %S s system" "$BENCH_BIN/bench_checksum" "$CS_FILE" >/dev/null
  /usr/bin/time -f "  sha256sum: %U s user, %S s system" sha256sum "$CS_FILE" >/dev/null
  if [ "$a" = "$p" ]; then echo "  checksum: same digest as sha256sum"; else echo "  checksum: DIGESTS DIFFER ($a vs $p)"; fi
}
