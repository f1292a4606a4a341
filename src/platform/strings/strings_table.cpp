#include "platform/strings/strings_table.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <stdexcept>

namespace qm::strings {

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

// The length of the well-formed UTF-8 character text starts with; 0 when
// its first byte does not start one.
std::size_t utf8Length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    // Overlong forms, surrogates and code points beyond U+10FFFF.
    if (lead == 0xE0 && byte(1) < 0xA0) return 0;
    if (lead == 0xED && byte(1) >= 0xA0) return 0;
    if (lead == 0xF0 && byte(1) < 0x90) return 0;
    if (lead == 0xF4 && byte(1) >= 0x90) return 0;
    return length;
}

// Text saved as UTF-16 without a byte-order mark: among its first bytes, NULs
// on one side of at least half the pairs and never on the other.
bool looksLikeUtf16(std::string_view text) {
    const std::size_t pairs = std::min<std::size_t>(text.size(), 64) / 2;
    std::size_t evenNuls = 0, oddNuls = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        evenNuls += text[2 * i] == '\0';
        oddNuls += text[2 * i + 1] == '\0';
    }
    return pairs > 0 && ((evenNuls * 2 >= pairs && oddNuls == 0) || (oddNuls * 2 >= pairs && evenNuls == 0));
}

bool isPrintable(char c) {
    return c >= 0x20 && c < 0x7F;
}

std::string hexByte(char c) {
    static const char* const hex = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    return std::string("0x") + hex[byte >> 4] + hex[byte & 0xF];
}

// A byte as a message shows it: itself when printable, else its number.
std::string describe(char c) {
    return isPrintable(c) ? std::string("'") + c + "'" : "byte " + hexByte(c);
}

// A key as a message shows it: quoted, control characters escaped, cut short.
std::string shownKey(std::string_view key) {
    constexpr std::size_t longest = 40;
    std::string text = "\"";
    for (std::size_t i = 0; i < key.size(); ++i) {
        // Cut between characters, never inside one.
        if (i >= longest && (static_cast<unsigned char>(key[i]) & 0xC0) != 0x80) return text + "…\"";
        const bool control = static_cast<unsigned char>(key[i]) < 0x20 || key[i] == 0x7F;
        text += control ? "\\" + hexByte(key[i]).substr(1) : std::string(1, key[i]);
    }
    return text + "\"";
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    StringsTable parse() {
        if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
        if (text_.starts_with("\xFF\xFE") || text_.starts_with("\xFE\xFF")) {
            report(1, "the table is UTF-16; it must be saved as UTF-8");
            return std::move(table_);
        }
        while (skipBlanksAndComments(), pos_ < text_.size()) entry();
        if (unclosedComment_) report(*unclosedComment_, "a comment is not closed");
        // Only a table that does not read is taken for UTF-16, so NULs inside
        // the strings of a good one cost nothing.
        if (!table_.problems.empty() && looksLikeUtf16(text_)) {
            table_ = {};
            report(1, "the table looks like UTF-16 without a byte-order mark; it must be saved as UTF-8");
        }
        return std::move(table_);
    }

private:
    // Where reading goes on after a string that ran on past its line: the
    // start of the line after its opening quote.
    struct LineBreak {
        std::size_t pos;
        int line;
    };
    // The last string read to its closing quote.
    struct ReadString {
        int line = 0;
        std::optional<LineBreak> lineBreak;
        char followedBy = '\0';
    };
    // A string with no closing quote before the end of the table.
    struct Unterminated {
        int line;
        std::optional<LineBreak> lineBreak;
    };

    void entry() {
        const int line = line_;
        try {
            std::string key = quoted();
            skipBlanksAndComments();
            expect('=');
            skipBlanksAndComments();
            std::string value = quoted();
            const ReadString read = lastString_;
            skipBlanksAndComments();
            if (peek() == ';') {
                next();
            } else if (read.lineBreak && read.followedBy != '\0' &&
                       !std::isspace(static_cast<unsigned char>(read.followedBy)) && read.followedBy != '/') {
                // The quote that closed the value opened something on a later
                // line: the value's own closing quote is missing.
                unterminated({read.line, read.lineBreak});
                return;
            } else {
                // A forgotten semicolon costs nothing: the entry is whole.
                report(line, "expected ';' after the entry" + found());
            }
            add(std::move(key), std::move(value), line);
        } catch (const ParseFault& fault) {
            report(line, fault.what());
            // A fault found on a later line than the entry began may be the
            // start of the next entry: carry on from there.
            if (line_ == line) skipRestOfEntry();
        } catch (const Unterminated& open) {
            unterminated(open);
        }
    }

    void add(std::string key, std::string value, int line) {
        const auto [it, first] = keyLines_.try_emplace(key, line);
        if (!first) {
            report(line, shownKey(key) + " is defined again (before on line " + std::to_string(it->second) +
                             "); the later value holds");
            it->second = line;
        }
        table_.entries.insert_or_assign(std::move(key), std::move(value));
    }

    // Reports a string left open, and reads on from the line after its start.
    void unterminated(const Unterminated& open) {
        report(open.line, "unterminated string");
        if (!open.lineBreak) return;
        pos_ = open.lineBreak->pos;
        line_ = open.lineBreak->line;
    }

    void report(int line, const std::string& reason) {
        if (table_.problems.size() < reportedProblems)
            table_.problems.push_back("line " + std::to_string(line) + ": " + reason);
        else
            ++table_.unreported;
    }

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
        return " but found " + describe(peek());
    }

    std::string quoted() {
        if (peek() != '"') throw ParseFault("expected a quoted string" + found());
        const int start = line_;
        std::optional<LineBreak> lineBreak;
        next();
        std::string text;
        while (true) {
            if (pos_ >= text_.size()) throw Unterminated{start, lineBreak};
            const char c = next();
            if (c == '"') {
                lastString_ = {start, lineBreak, peek()};
                return text;
            }
            if (c == '\n' && !lineBreak) lineBreak = LineBreak{pos_, line_};
            if (c == '\\')
                escape(text, start, lineBreak);
            else if (static_cast<unsigned char>(c) >= 0x80)
                character(text);
            else
                text += c;
        }
    }

    // A byte beyond ASCII, the next already taken: the whole character it
    // starts, or U+FFFD when it starts none.
    void character(std::string& text) {
        const std::size_t length = utf8Length(text_.substr(pos_ - 1));
        if (length == 0) {
            text += "\xEF\xBF\xBD";
            if (badLine_ != line_) report(line_, "bytes that are not UTF-8, read as U+FFFD");
            badLine_ = line_;
            return;
        }
        text.append(text_.substr(pos_ - 1, length));
        pos_ += length - 1;
    }

    void escape(std::string& text, int start, const std::optional<LineBreak>& lineBreak) {
        if (pos_ >= text_.size()) throw Unterminated{start, lineBreak};
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
            default:
                throw ParseFault(isPrintable(c) ? "unknown escape \\" + std::string(1, c)
                                                : "a backslash before " + describe(c));
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
    StringsTable table_;
    std::map<std::string, int, std::less<>> keyLines_;
    ReadString lastString_;
    int badLine_ = 0;  // the last line reported for bytes that are not UTF-8
    std::optional<int> unclosedComment_;
};

}  // namespace

StringsTable parseStringsTable(std::string_view text) {
    return Parser(text).parse();
}

}  // namespace qm::strings
