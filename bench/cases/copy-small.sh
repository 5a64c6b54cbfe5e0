# Copying a tree of 20,000 small files (100 folders of 200) against cp -r. Each
# run copies into a new empty folder; the copies are removed before and after.
peer_name="cp -r"
CS_DIR="$FIXTURES/copy-small"

prepare() { _prepare; sync; }  # settle earlier deletes and writes before timing

_prepare() {
  rm -rf "$CS_DIR/arbel" "$CS_DIR/peer"
  mkdir -p "$CS_DIR/arbel" "$CS_DIR/peer"
  [ -f "$CS_DIR/src.complete" ] && [ -d "$CS_DIR/src" ] && return 0
  rm -rf "$CS_DIR/src"
  python3 - "$CS_DIR/src" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(100):
    folder = os.path.join(root, "dir%03d" % d)
    os.makedirs(folder)
    for f in range(200):
        with open(os.path.join(folder, "file%03d.txt" % f), "wb") as out:
            out.write(b"x" * (64 + (d * 200 + f) % 2000))
PY
  touch "$CS_DIR/src.complete"
}

run_arbel() { local d; d=$(mktemp -d "$CS_DIR/arbel/XXXXXX"); "$BENCH_BIN/bench_copy_tree" "$CS_DIR/src" "$d"; }
run_peer() { local d; d=$(mktemp -d "$CS_DIR/peer/XXXXXX"); cp -r "$CS_DIR/src" "$d/"; }
extra() { rm -rf "$CS_DIR/arbel" "$CS_DIR/peer"; }
