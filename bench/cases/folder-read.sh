# Reading a folder of 100,000 files into the file list model (all seven cells,
# sorted by name) against "ls -l" on the same folder.
peer_name="ls -l"
FOLDER="$FIXTURES/folder-read"

prepare() {
  [ -f "$FOLDER.complete" ] && [ -d "$FOLDER" ] && return 0
  rm -rf "$FOLDER"
  mkdir -p "$FOLDER"
  python3 - "$FOLDER" <<'PY'
import os, sys
folder = sys.argv[1]
exts = [".txt", ".c", ".h", ".jpeg", ".tar.gz", "", ".Doc"]
for i in range(100000):
    name = "%s-%06d%s" % (("Report", "data", "img", "x")[i % 4], (i * 7919) % 1000003, exts[i % len(exts)])
    fd = os.open(os.path.join(folder, name), os.O_CREAT | os.O_WRONLY, 0o644)
    if i % 10 == 0:
        os.write(fd, b"x" * (i % 5000))
    os.close(fd)
PY
  touch "$FOLDER.complete"
}

run_arbel() { "$BENCH_BIN/bench_folder_read" "$FOLDER"; }
run_peer() { ls -l "$FOLDER"; }
extra() { "$BENCH_BIN/bench_folder_read" --memory "$FOLDER"; }
