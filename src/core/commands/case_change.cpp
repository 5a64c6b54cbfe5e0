#include "core/commands/case_change.h"

#include <fcntl.h>
#include <locale.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <atomic>
#include <cerrno>

#include "core/commands/gates.h"
#include "core/text/unicode_locale.h"
#include "core/text/utf8.h"
#include "platform/dir.h"

namespace arbel::commands {

namespace {

bool validScalar(char32_t c) {
    return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

char32_t mapWith(char32_t c, bool upper) {
    if (locale_t loc = text::unicodeCtype()) {
        wint_t m = upper ? towupper_l(wint_t(c), loc) : towlower_l(wint_t(c), loc);
        return validScalar(char32_t(m)) ? char32_t(m) : c;
    }
    // Without the table only ASCII letters change.
    if (upper && c >= 'a' && c <= 'z') return c - 32;
    if (!upper && c >= 'A' && c <= 'Z') return c + 32;
    return c;
}

}  // namespace

char32_t upperOf(char32_t c) {
    return mapWith(c, true);
}
char32_t lowerOf(char32_t c) {
    return mapWith(c, false);
}

std::string changeCase(std::string_view name, CaseMode mode) {
    std::string out;
    out.reserve(name.size() + 8);
    bool first = true;
    bool afterSpace = false;
    for (size_t i = 0; i < name.size();) {
        char32_t c = 0;
        size_t len = text::decodeUtf8(name, i, c);
        if (len == 0) {
            // Not UTF-8: the byte stays, and counts as a character that is not a space.
            out += name[i];
            i += 1;
            first = false;
            afterSpace = false;
            continue;
        }
        char32_t m = c;
        switch (mode) {
            case CaseMode::Lower:
                m = lowerOf(c);
                break;
            case CaseMode::Upper:
                m = upperOf(c);
                break;
            case CaseMode::Sentence:
                m = first ? upperOf(c) : lowerOf(c);
                break;
            case CaseMode::Title:
                m = (first || afterSpace) ? upperOf(c) : c;
                break;
        }
        text::appendUtf8(m, out);
        afterSpace = c == U' ';
        first = false;
        i += len;
    }
    return out;
}

bool isSingleComponent(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::string cannotConvertMessage(const std::string& folder, const std::string& name) {
    return "Cannot convert " + joinPath(folder, name);
}

namespace {

bool sameEntry(int dirfd, const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (fstatat(dirfd, a.c_str(), &sa, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (fstatat(dirfd, b.c_str(), &sb, AT_SYMLINK_NOFOLLOW) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// renameat2 without replacing; on a file system that cannot do that atomically, a
// check for the target followed by a plain rename.
int renameNoReplace(int dirfd, const std::string& from, const std::string& to) {
    if (renameat2(dirfd, from.c_str(), dirfd, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    int e = errno;
    if (e != EINVAL && e != ENOSYS && e != ENOTSUP) return e;
    struct stat st;
    if (fstatat(dirfd, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return renameat(dirfd, from.c_str(), dirfd, to.c_str()) == 0 ? 0 : errno;
}

// On a case-insensitive mount the new spelling names the same entry: move it aside to
// a unique name first, then to the new spelling; put it back if that fails.
int renameViaTemporary(int dirfd, const std::string& from, const std::string& to) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string tmp = ".arbel-case-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        int e = renameNoReplace(dirfd, from, tmp);
        if (e == EEXIST) continue;
        if (e != 0) return e;
        e = renameNoReplace(dirfd, tmp, to);
        if (e != 0) renameNoReplace(dirfd, tmp, from);
        return e;
    }
    return EEXIST;
}

}  // namespace

Result<CaseRename> changeCaseOnDisk(const std::string& folder, const std::string& name, CaseMode mode) {
    auto fail = [&](int code) {
        return Error{joinPath(folder, name), code, cannotConvertMessage(folder, name)};
    };
    if (!isSingleComponent(name)) return fail(EINVAL);
    std::string newName = changeCase(name, mode);
    if (!isSingleComponent(newName)) return fail(EINVAL);

    auto dir = DirHandle::open(folder);
    if (!dir) return fail(dir.error().code);
    int fd = dir->fd();

    struct stat st;
    if (fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return fail(errno);

    if (newName != name) {
        int e = renameNoReplace(fd, name, newName);
        if (e == EEXIST && sameEntry(fd, name, newName)) e = renameViaTemporary(fd, name, newName);
        if (e != 0) return fail(e);
    }
    CaseRename done{name, newName, false};
    if (fstatat(fd, newName.c_str(), &st, 0) == 0) done.isFolder = S_ISDIR(st.st_mode);
    return done;
}

CaseChangeReport changeCaseOfNames(const std::string& folder, const std::vector<std::string>& names,
                                   CaseMode mode, const std::function<bool(const Error&)>& goOn) {
    CaseChangeReport report;
    for (const auto& name : names) {
        auto r = changeCaseOnDisk(folder, name, mode);
        if (r) {
            if (r->newName != r->oldName) report.renamed.push_back(std::move(*r));
            continue;
        }
        ++report.failures;
        if (goOn && !goOn(r.error())) {
            report.cancelled = true;
            break;
        }
    }
    return report;
}

}  // namespace arbel::commands
