# Deleting a tree of 20,000 small files (100 folders of 200) against rm -r. Each
# run deletes its own hard-linked copy of the tree, made beforehand (cp -al).
peer_name="rm -r"
DS_DIR="$FIXTURES/delete-small"

make_victims() {
  rm -rf "$DS_DIR/victims"
  mkdir -p "$DS_DIR/victims"
  for i in $(seq -w $((2 * RUNS))); do cp -al "$DS_DIR/src" "$DS_DIR/victims/$i"; done
}

prepare() { _prepare; sync; }  # settle earlier deletes and writes before timing

_prepare() {
  mkdir -p "$DS_DIR"
  if [ -f "$DS_DIR/src.complete" ] && [ -d "$DS_DIR/src" ]; then make_victims; return 0; fi
  rm -rf "$DS_DIR/src"
  python3 - "$DS_DIR/src" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(100):
    folder = os.path.join(root, "dir%03d" % d)
    os.makedirs(folder)
    for f in range(200):
        with open(os.path.join(folder, "file%03d.txt" % f), "wb") as out:
            out.write(b"x" * (64 + (d * 200 + f) % 2000))
PY
  touch "$DS_DIR/src.complete"
  make_victims
}

next_victim() { local v; for v in "$DS_DIR"/victims/*; do echo "$v"; return; done; }

run_arbel() { "$BENCH_BIN/bench_delete_small" "$(next_victim)"; }
run_peer() { rm -r "$(next_victim)"; }
extra() { rm -rf "$DS_DIR/victims"; }
