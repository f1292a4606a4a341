#include "platform/sim/strings_table.h"

#include <optional>
#include <stdexcept>

namespace qm::sim {

namespace {

struct ParseFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool isHighSurrogate(uint32_t code) {
    return code >= 0xD800 && code <= 0xDBFF;
}
bool isLowSurrogate(uint32_t code) {
    return code >= 0xDC00 && code <= 0xDFFF;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    StringsTable parse() {
        StringsTable table;
        if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
        if (text_.starts_with("\xFF\xFE") || text_.starts_with("\xFE\xFF")) {
            table.problems.push_back("line 1: the table is UTF-16; it must be saved as UTF-8");
            return table;
        }
        while (skipBlanksAndComments(), pos_ < text_.size()) {
            const int line = line_;
            try {
                std::string key = quoted();
                skipBlanksAndComments();
                expect('=');
                skipBlanksAndComments();
                std::string value = quoted();
                skipBlanksAndComments();
                // A forgotten semicolon costs nothing: the entry is whole.
                if (peek() == ';')
                    next();
                else
                    table.problems.push_back("line " + std::to_string(line) + ": expected ';' after the entry" +
                                             found());
                table.entries.insert_or_assign(std::move(key), std::move(value));
            } catch (const ParseFault& fault) {
                table.problems.push_back("line " + std::to_string(line) + ": " + fault.what());
                // A fault found on a later line than the entry began may be the
                // start of the next entry: carry on from there.
                if (line_ == line) skipRestOfEntry();
            }
        }
        if (unclosedComment_)
            table.problems.push_back("line " + std::to_string(*unclosedComment_) + ": a comment is not closed");
        return table;
    }

private:
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    char next() {
        const char c = text_[pos_++];
        if (c == '\n') ++line_;
        return c;
    }

    void skipBlanksAndComments() {
        while (pos_ < text_.size()) {
            const std::string_view rest = text_.substr(pos_);
            if (rest.starts_with("//")) {
                while (pos_ < text_.size() && peek() != '\n') next();
            } else if (rest.starts_with("/*")) {
                const auto end = rest.find("*/", 2);
                if (end == std::string_view::npos) unclosedComment_ = line_;
                const std::size_t stop = end == std::string_view::npos ? text_.size() : pos_ + end + 2;
                while (pos_ < stop) next();
            } else if (std::isspace(static_cast<unsigned char>(peek()))) {
                next();
            } else {
                return;
            }
        }
    }

    void expect(char wanted) {
        if (peek() != wanted) throw ParseFault(std::string("expected '") + wanted + "'" + found());
        next();
    }

    std::string found() const {
        if (pos_ >= text_.size()) return " before the end of the table";
        return std::string(" but found '") + peek() + "'";
    }

    std::string quoted() {
        if (peek() != '"') throw ParseFault("expected a quoted string" + found());
        next();
        std::string text;
        while (true) {
            if (pos_ >= text_.size()) throw ParseFault("a string is not closed");
            const char c = next();
            if (c == '"') return text;
            if (c == '\\')
                escape(text);
            else
                text += c;
        }
    }

    void escape(std::string& text) {
        if (pos_ >= text_.size()) throw ParseFault("a string is not closed");
        const char c = next();
        switch (c) {
            case '"': text += '"'; return;
            case '\\': text += '\\'; return;
            case '\'': text += '\''; return;
            case 'n': text += '\n'; return;
            case 't': text += '\t'; return;
            case 'r': text += '\r'; return;
            case 'U':
            case 'u': appendUtf8(text, codePoint()); return;
            default: throw ParseFault(std::string("unknown escape \\") + c);
        }
    }

    uint32_t hex4() {
        uint32_t code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = peek();
            const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                          : -1;
            if (digit < 0) throw ParseFault("\\U needs four hexadecimal digits");
            code = code * 16 + static_cast<uint32_t>(digit);
            next();
        }
        return code;
    }

    // After \U: a character, written as two halves when it lies beyond U+FFFF.
    uint32_t codePoint() {
        const uint32_t code = hex4();
        if (isLowSurrogate(code)) throw ParseFault("\\U names the second half of a surrogate pair alone");
        if (!isHighSurrogate(code)) return code;
        const std::string_view rest = text_.substr(pos_);
        if (!rest.starts_with("\\U") && !rest.starts_with("\\u"))
            throw ParseFault("\\U names the first half of a surrogate pair alone");
        next();
        next();
        const uint32_t low = hex4();
        if (!isLowSurrogate(low)) throw ParseFault("\\U names the first half of a surrogate pair alone");
        return 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }

    // After a fault, go on at the next line that may start an entry.
    void skipRestOfEntry() {
        while (pos_ < text_.size() && peek() != '\n') next();
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::optional<int> unclosedComment_;
};

}  // namespace

StringsTable parseStringsTable(std::string_view text) {
    return Parser(text).parse();
}

}  // namespace qm::sim
