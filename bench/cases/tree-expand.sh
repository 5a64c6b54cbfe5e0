# Expanding a folder of 10,000 subfolders in the tree (read, sort, check each for a
# subfolder) against find listing the same two levels.
peer_name="find -maxdepth 2 -type d"
TE_DIR="$FIXTURES/tree-expand/root"

prepare() {
  [ -f "$FIXTURES/tree-expand/.done" ] && return
  rm -rf "$FIXTURES/tree-expand"
  mkdir -p "$TE_DIR"
  (
    cd "$TE_DIR"
    for i in $(seq -w 0 9999); do
      if (( 10#$i % 2 == 0 )); then mkdir -p "d$i/sub"; else mkdir "d$i" && : > "d$i/file"; fi
    done
  )
  touch "$FIXTURES/tree-expand/.done"
}

run_arbel() { "$BENCH_BIN/bench_tree_expand" "$TE_DIR"; }
run_peer() { find "$TE_DIR" -mindepth 1 -maxdepth 2 -type d >/dev/null; }
extra() { "$BENCH_BIN/bench_tree_expand" "$TE_DIR" --memory; }
