// The settings file reader and writer on arbitrary bytes: no input may crash it,
// reads must agree with one another, and a write may change only what it names.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/ini_file.h"
#include "core/config/ini_text.h"

using namespace arbel::config;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

const std::string& scratchFile() {
    static const std::string path = [] {
        const char* shm = "/dev/shm";
        std::string base = ::access(shm, W_OK) == 0 ? shm : "/tmp";
        std::string templ = base + "/arbel-ini-fuzz-XXXXXX";
        check(::mkdtemp(templ.data()) != nullptr);
        static std::string dir = templ;
        std::atexit([] {
            ::unlink((dir + "/Arbelwin.cfg").c_str());
            ::rmdir(dir.c_str());
        });
        return templ + "/Arbelwin.cfg";
    }();
    return path;
}

void putFile(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    check(fd >= 0);
    check(::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()));
    ::close(fd);
}

// Section and key names from the input itself, so writes hit what is there.
std::string between(std::string_view s, char open, char close) {
    size_t a = s.find(open);
    if (a == s.npos) return {};
    size_t b = s.find(close, a + 1);
    return std::string(s.substr(a + 1, b == s.npos ? 8 : b - a - 1));
}

std::string keyOf(const std::string& line) {
    return line.substr(0, line.find('='));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const unsigned op = data[0];
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    // Parsing is stable: what the store writes back reads the same way.
    IniText once = IniText::parse(bytes);
    std::string text = once.serialize();
    check(IniText::parse(text).serialize() == text);

    const std::string& path = scratchFile();
    putFile(path, bytes);
    IniFile ini(path);

    std::string target = between(bytes, '[', ']');
    std::vector<std::string> sections{"windows", "Quenby", "q", target};
    std::vector<std::vector<std::string>> before;
    for (const std::string& s : sections) {
        std::vector<std::string> lines = ini.readSection(s);
        check(lines.size() == ini.readHistory(s).size());
        // The first of equal keys is the one a read finds.
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string key = keyOf(lines[i]);
            bool first = true;
            for (size_t j = 0; j < i && first; ++j) first = !sameName(keyOf(lines[j]), key);
            if (first) check(ini.readString(s, key, "\x01") == lines[i].substr(key.size() + 1));
            (void)ini.readInteger(s, key, 0);
        }
        before.push_back(std::move(lines));
    }

    std::string key = between(bytes, '\n', '=');
    std::string value = between(bytes, '=', '\n');
    const std::string& section = sections[op % sections.size()];
    bool valid = storableSection(section) && storableKey(key) && storableValue(value);
    try {
        switch (op / 4 % 3) {
            case 0:
                ini.writeString(section, key, value);
                check(valid);
                check(ini.readString(section, key, "\x01") == cutText(value, 1023));
                break;
            case 1:
                ini.eraseSection(section);
                check(ini.readSection(section).empty());
                break;
            case 2: {
                std::vector<std::string> entries{value, key, std::string(bytes.substr(0, 120))};
                ini.writeHistory(section, entries, int(op % 7));
                std::vector<std::string> want;
                for (const std::string& e : entries) {
                    if (storableValue(e)) want.emplace_back(cutText(e, 100));
                }
                check(ini.readHistory(section) == want);
                break;
            }
        }
    } catch (const InvalidEntry&) {
        check(!valid || op / 4 % 3 != 0);
        return 0;
    }
    // Every section the write did not name reads as before.
    for (size_t i = 0; i < sections.size(); ++i) {
        if (!sameName(sections[i], section)) check(ini.readSection(sections[i]) == before[i]);
    }
    return 0;
}
