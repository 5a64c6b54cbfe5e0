# Content search for a string (letter case ignored) over about 1 GiB in 200,000
# files, against grep -rilF.
peer_name="grep -rilF"
TREE="$FIXTURES/find-tree"
NEEDLE="zebra-quokka-tangerine"
prepare() {
  if [ ! -e "$TREE.done" ]; then
    rm -rf "$TREE"
    "$BENCH_BIN/bench_find_gen" "$TREE" && touch "$TREE.done"
  fi
}
run_arbel() { "$BENCH_BIN/bench_find_run" content "$TREE" "$NEEDLE"; }
run_arbel_single() { ARBEL_SCAN_THREADS=0 "$BENCH_BIN/bench_find_run" content "$TREE" "$NEEDLE"; }
run_peer() { grep -rilF "$NEEDLE" "$TREE"; }
extra() {
  local a p
  a=$("$BENCH_BIN/bench_find_run" content "$TREE" "$NEEDLE" 2>/dev/null | wc -l)
  p=$(grep -rilF "$NEEDLE" "$TREE" | wc -l)
  echo "find-content: files found: arbel $a, grep $p"
}
