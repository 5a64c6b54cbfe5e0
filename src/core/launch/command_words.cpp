#include "core/launch/command_words.h"

namespace arbel::launch {

std::optional<std::vector<std::string>> splitCommandWords(std::string_view line) {
    enum class Quote { None, Single, Double };
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;  // an empty quoted word ("") still counts
    Quote quote = Quote::None;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        switch (quote) {
            case Quote::Single:
                if (c == '\'')
                    quote = Quote::None;
                else
                    word += c;
                continue;
            case Quote::Double:
                if (c == '"') {
                    quote = Quote::None;
                } else if (c == '\\' && i + 1 < line.size() &&
                           std::string_view("\"\\$`\n").find(line[i + 1]) != std::string_view::npos) {
                    if (line[++i] != '\n') word += line[i];
                } else {
                    word += c;
                }
                continue;
            case Quote::None:
                break;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else if (c == '\'') {
            quote = Quote::Single;
            inWord = true;
        } else if (c == '"') {
            quote = Quote::Double;
            inWord = true;
        } else if (c == '\\') {
            if (i + 1 == line.size()) return std::nullopt;
            if (line[++i] != '\n') word += line[i];  // backslash-newline joins lines
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote != Quote::None) return std::nullopt;
    if (inWord) words.push_back(std::move(word));
    return words;
}

}  // namespace arbel::launch
