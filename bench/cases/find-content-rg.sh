# The content search of find-content, against rg -liF --no-ignore.
peer_name="rg -liF"
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
run_peer() { rg -liF --no-ignore "$NEEDLE" "$TREE"; }
extra() {
  local a p
  a=$("$BENCH_BIN/bench_find_run" content "$TREE" "$NEEDLE" 2>/dev/null | wc -l)
  p=$(rg -liF --no-ignore "$NEEDLE" "$TREE" | wc -l)
  echo "find-content-rg: files found: arbel $a, rg $p"
}
