# Copying one 1 GiB file into a folder against cp. Both sides first remove the
# previous copy, so every run writes a new file.
peer_name="cp"
CB_DIR="$FIXTURES/copy-big"

prepare() { _prepare; sync; }  # settle earlier deletes and writes before timing

_prepare() {
  mkdir -p "$CB_DIR/src" "$CB_DIR/arbel" "$CB_DIR/peer"
  if [ ! -f "$CB_DIR/src.complete" ]; then
    head -c 1073741824 /dev/urandom > "$CB_DIR/src/big"
    touch "$CB_DIR/src.complete"
  fi
}

run_arbel() { rm -f "$CB_DIR/arbel/big"; "$BENCH_BIN/bench_copy_tree" "$CB_DIR/src/big" "$CB_DIR/arbel"; }
run_peer() { rm -f "$CB_DIR/peer/big"; cp "$CB_DIR/src/big" "$CB_DIR/peer/big"; }
