# Name search over 200,000 files in 20,420 folders, against find -iname.
peer_name="find -iname"
TREE="$FIXTURES/find-tree"
prepare() {
  if [ ! -e "$TREE.done" ]; then
    rm -rf "$TREE"
    "$BENCH_BIN/bench_find_gen" "$TREE" && touch "$TREE.done"
  fi
}
run_arbel() { "$BENCH_BIN/bench_find_run" name "$TREE" '*42*.txt'; }
run_arbel_single() { ARBEL_SCAN_THREADS=0 "$BENCH_BIN/bench_find_run" name "$TREE" '*42*.txt'; }
run_peer() { find "$TREE" -iname '*42*.txt'; }
extra() {
  local a p
  a=$("$BENCH_BIN/bench_find_run" name "$TREE" '*42*.txt' 2>/dev/null | wc -l)
  p=$(find "$TREE" -iname '*42*.txt' | wc -l)
  echo "find-name: files found: arbel $a, find $p"
}
