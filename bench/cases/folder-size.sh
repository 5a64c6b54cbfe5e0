# Folder Size of a tree of 200,000 files in 20,021 folders (20 x 1,000 folders of
# ten files each) against "du -sb" on the same tree.
peer_name="du -sb"
FS_DIR="$FIXTURES/folder-size"

prepare() {
  [ -f "$FS_DIR.complete" ] && [ -d "$FS_DIR" ] && return 0
  rm -rf "$FS_DIR"
  python3 - "$FS_DIR" <<'PY'
import os, sys
root = sys.argv[1]
for a in range(20):
    for b in range(1000):
        folder = os.path.join(root, "a%02d" % a, "b%03d" % b)
        os.makedirs(folder)
        for f in range(10):
            fd = os.open(os.path.join(folder, "f%d.dat" % f), os.O_CREAT | os.O_WRONLY, 0o644)
            os.write(fd, b"x" * ((a * 7 + b * 13 + f * 101) % 3000))
            os.close(fd)
PY
  touch "$FS_DIR.complete"
}

run_arbel() { "$BENCH_BIN/bench_folder_size" "$FS_DIR"; }
run_arbel_single() { ARBEL_WALK_THREADS=1 "$BENCH_BIN/bench_folder_size" "$FS_DIR"; }
run_peer() { du -sb "$FS_DIR"; }
extra() {
  "$BENCH_BIN/bench_folder_size" --memory "$FS_DIR"
  python3 - "$FS_DIR" <<'PY'
import resource, subprocess, sys
subprocess.run(["du", "-sb", sys.argv[1]], stdout=subprocess.DEVNULL, check=True)
print("folder-size: du -sb peak RSS %d KiB" % resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
PY
}
