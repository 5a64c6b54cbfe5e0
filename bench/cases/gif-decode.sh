# Decoding a 100-frame 500 × 500 animated GIF into composed frames, against giflib's
# DGifSlurp on the same file (indices only, nothing composed).
peer_name="giflib DGifSlurp"
GD_FILE="$FIXTURES/gif-decode/anim100.gif"

prepare() {
  mkdir -p "$FIXTURES/gif-decode"
  [ -s "$GD_FILE" ] || "$BENCH_BIN/bench_gif_decode" gen "$GD_FILE"
}

run_arbel() { "$BENCH_BIN/bench_gif_decode" arbel "$GD_FILE"; }
run_peer() { "$BENCH_BIN/bench_gif_decode" peer "$GD_FILE"; }
