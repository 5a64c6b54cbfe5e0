#include "core/ops/conflict_text.h"

#include <sys/stat.h>

#include <ctime>

namespace arbel::ops {

namespace {

ConflictSide sideOf(const std::string& path) {
    ConflictSide s;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return s;
    s.known = true;
    s.size = int64_t(st.st_size);
    s.mtime = int64_t(st.st_mtim.tv_sec);
    s.mtimeNsec = st.st_mtim.tv_nsec;
    return s;
}

std::string grouped(int64_t n) {
    std::string digits = std::to_string(n < 0 ? -n : n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return n < 0 ? "-" + out : out;
}

std::string line(const char* label, const ConflictSide& s) {
    std::string text = std::string(label) + ": ";
    if (!s.known) return text + "cannot be read";
    char when[64] = "";
    std::time_t t = std::time_t(s.mtime);
    struct tm tm {};
    if (::localtime_r(&t, &tm)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);
    return text + grouped(s.size) + (s.size == 1 ? " byte" : " bytes") + ", modified " + when;
}

}  // namespace

ConflictSides readConflict(const std::string& source, const std::string& target) {
    return {sideOf(target), sideOf(source)};
}

std::string conflictDetails(const ConflictSides& sides) {
    const ConflictSide &e = sides.existing, &i = sides.incoming;
    std::string text = line("Existing", e) + "\n" + line("Incoming", i);
    if (!e.known || !i.known) return text;
    const bool sameTime = e.mtime == i.mtime && e.mtimeNsec == i.mtimeNsec;
    const bool newer = i.mtime > e.mtime || (i.mtime == e.mtime && i.mtimeNsec > e.mtimeNsec);
    if (sameTime && e.size == i.size) return text + "\nBoth have the same size and time.";
    std::string when = sameTime ? "of the same time" : newer ? "newer" : "older";
    std::string size = e.size == i.size ? "the same size" : i.size > e.size ? "larger" : "smaller";
    return text + "\nThe incoming file is " + when + " and " + size + ".";
}

}  // namespace arbel::ops
