#pragma once
// Sort keys for names: case-insensitive, in the order of the user's collation
// locale (LC_COLLATE), computed once per name so a large folder sorts with
// plain byte comparisons. Under the C locales the key is the case-folded name.

#include <locale.h>

#include <string>
#include <string_view>

namespace arbel::lists {

class NameCollator {
public:
    // `localeName` "" takes the locale from the environment (LC_ALL,
    // LC_COLLATE, LANG), as the C library does.
    explicit NameCollator(const char* localeName = "");
    ~NameCollator();
    NameCollator(const NameCollator&) = delete;
    NameCollator& operator=(const NameCollator&) = delete;

    // Appends the key of `name` to `out`; comparing keys bytewise gives the
    // collation order. Names differing only in case get equal keys.
    void appendKey(std::string_view name, std::string& out) const;
    bool usesLocale() const { return locale_ != nullptr; }

private:
    locale_t locale_ = nullptr;  // null: byte order of the folded name
};

}  // namespace arbel::lists
