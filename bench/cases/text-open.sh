# Time to the first page of a 1 GiB text file against the same for a 1 MiB file:
# a ratio near 1 means opening does not grow with the size of the file.
peer_name="1 MiB file"
TO_DIR="$FIXTURES/text-open"

prepare() {
  mkdir -p "$TO_DIR"
  [ -s "$TO_DIR/big.txt" ] || "$BENCH_BIN/bench_text_open" gen "$TO_DIR/big.txt" 1073741824
  [ -s "$TO_DIR/small.txt" ] || "$BENCH_BIN/bench_text_open" gen "$TO_DIR/small.txt" 1048576
}

run_arbel() { "$BENCH_BIN/bench_text_open" open "$TO_DIR/big.txt"; }
run_peer() { "$BENCH_BIN/bench_text_open" open "$TO_DIR/small.txt"; }
extra() {
  echo "  1 GiB: $("$BENCH_BIN/bench_text_open" open "$TO_DIR/big.txt")"
  echo "  1 MiB: $("$BENCH_BIN/bench_text_open" open "$TO_DIR/small.txt")"
  echo "  1 GiB, whole index: $("$BENCH_BIN/bench_text_open" index "$TO_DIR/big.txt")"
}
