#include "core/lists/collate.h"

#include <cstdlib>
#include <cstring>

#include "core/lists/case_fold.h"

namespace arbel::lists {

namespace {

std::string effectiveName(const char* localeName) {
    if (localeName && *localeName) return localeName;
    for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return v;
    }
    return "C";
}

bool byteOrderLocale(const std::string& name) {
    return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

}  // namespace

NameCollator::NameCollator(const char* localeName) {
    std::string name = effectiveName(localeName);
    if (!byteOrderLocale(name)) {
        locale_ = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    }
}

NameCollator::~NameCollator() {
    if (locale_) freelocale(locale_);
}

void NameCollator::appendKey(std::string_view name, std::string& out) const {
    std::string folded = foldCase(name);
    if (!locale_ || folded.find('\0') != std::string::npos) {
        out += folded;
        return;
    }
    std::size_t start = out.size();
    std::size_t room = folded.size() * 4 + 16;
    for (;;) {
        out.resize(start + room);
        std::size_t need = strxfrm_l(out.data() + start, folded.c_str(), room, locale_);
        if (need < room) {
            out.resize(start + need);
            return;
        }
        room = need + 1;
    }
}

}  // namespace arbel::lists
