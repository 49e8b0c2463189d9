#include "standins/PackageSource.h"

#include <algorithm>

#include "ide/Utils.h"
#include "standins/StandIn.h"

namespace corvalis::standins {
namespace {

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

struct Token {
    enum Kind { Name, String, Symbol, End } kind;
    std::string text;
    int line;
};

class Lexer {
public:
    Lexer(const std::string& text, const std::string& fileName) : text_(text), fileName_(fileName) {}

    Token Next()
    {
        SkipBlanksAndComments();
        if (at_ >= text_.size())
            return {Token::End, "end of file", line_};
        const size_t start = at_;
        if (IsLetter(text_[at_])) {
            // A dot belongs to the name only when a letter follows it: Vcl.Forms, but end.
            while (at_ < text_.size() &&
                   (IsLetter(text_[at_]) || IsDigit(text_[at_]) || (text_[at_] == '.' && IsLetter(Peek(1)))))
                ++at_;
            return {Token::Name, text_.substr(start, at_ - start), line_};
        }
        if (text_[at_] == '\'')
            return {Token::String, QuotedString(), line_};
        return {Token::Symbol, std::string(1, text_[at_++]), line_};
    }

    [[noreturn]] void Fail(int line, const std::string& message) const
    {
        throw ToolFailure(1, fileName_ + "(" + std::to_string(line) + ") Error: " + message);
    }

private:
    char Peek(size_t ahead) const { return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0'; }

    void Advance()
    {
        if (text_[at_++] == '\n')
            ++line_;
    }

    void SkipUntil(const std::string& end)
    {
        const int line = line_;
        while (at_ < text_.size() && text_.compare(at_, end.size(), end) != 0)
            Advance();
        if (at_ >= text_.size())
            Fail(line, "Unterminated comment");
        at_ += end.size();
    }

    void SkipBlanksAndComments()
    {
        while (at_ < text_.size()) {
            if (static_cast<unsigned char>(text_[at_]) <= ' ') {
                Advance();
            } else if (text_[at_] == '{') {
                SkipUntil("}");
            } else if (text_[at_] == '(' && Peek(1) == '*') {
                at_ += 2;
                SkipUntil("*)");
            } else if (text_[at_] == '/' && Peek(1) == '/') {
                while (at_ < text_.size() && text_[at_] != '\n' && text_[at_] != '\r')
                    ++at_;
            } else {
                return;
            }
        }
    }

    // '...' with '' standing for one quote; a string ends on its line.
    std::string QuotedString()
    {
        std::string value;
        ++at_;
        while (true) {
            if (at_ >= text_.size() || text_[at_] == '\n' || text_[at_] == '\r')
                Fail(line_, "Unterminated string");
            if (text_[at_] == '\'' && Peek(1) != '\'') {
                ++at_;
                return value;
            }
            if (text_[at_] == '\'')
                ++at_;
            value += text_[at_++];
        }
    }

    const std::string& text_;
    const std::string& fileName_;
    size_t at_ = 0;
    int line_ = 1;
};

class Parser {
public:
    Parser(const std::string& text, const std::string& fileName) : lexer_(text, fileName) { Advance(); }

    std::vector<PackageSource::Item> UsedUnits()
    {
        std::vector<PackageSource::Item> units;
        while (token_.kind != Token::End) {
            if (!IsKeyword("uses")) {
                Advance();
                continue;
            }
            Advance();
            for (PackageSource::Item& unit : List(true))
                units.push_back(std::move(unit));
        }
        return units;
    }

    PackageSource Parse()
    {
        PackageSource source;
        ExpectKeyword("package");
        source.name = ExpectName().name;
        ExpectSymbol(";");
        while (!IsKeyword("end")) {
            if (IsKeyword("requires")) {
                Advance();
                source.requiredPackages = List(false);
            } else if (IsKeyword("contains")) {
                Advance();
                source.units = List(true);
            } else {
                Expected("'end'");
            }
        }
        Advance();
        ExpectSymbol(".");
        return source;
    }

private:
    void Advance() { token_ = lexer_.Next(); }

    bool IsKeyword(const char* keyword) const { return token_.kind == Token::Name && SameText(token_.text, keyword); }

    [[noreturn]] void Expected(const std::string& what) const
    {
        lexer_.Fail(token_.line, what + " expected but '" + token_.text + "' found");
    }

    void ExpectKeyword(const char* keyword)
    {
        if (!IsKeyword(keyword))
            Expected(std::string("'") + keyword + "'");
        Advance();
    }

    void ExpectSymbol(const char* symbol)
    {
        if (token_.kind != Token::Symbol || token_.text != symbol)
            Expected(std::string("'") + symbol + "'");
        Advance();
    }

    PackageSource::Item ExpectName()
    {
        if (token_.kind != Token::Name)
            Expected("Identifier");
        PackageSource::Item item{token_.text, {}, token_.line};
        Advance();
        return item;
    }

    // Names separated by ',' up to ';'; in a contains clause each may name its file.
    std::vector<PackageSource::Item> List(bool withFiles)
    {
        std::vector<PackageSource::Item> items;
        while (true) {
            items.push_back(ExpectName());
            if (withFiles && IsKeyword("in")) {
                Advance();
                if (token_.kind != Token::String)
                    Expected("String");
                items.back().path = token_.text;
                Advance();
            }
            if (token_.kind == Token::Symbol && token_.text == ";") {
                Advance();
                return items;
            }
            ExpectSymbol(",");
        }
    }

    Lexer lexer_;
    Token token_{Token::End, {}, 0};
};

} // namespace

PackageSource PackageSource::Parse(const std::string& text, const std::string& fileName)
{
    PackageSource source = Parser(text, fileName).Parse();
    source.lines = CountLines(text);
    return source;
}

std::vector<PackageSource::Item> UsedUnits(const std::string& text, const std::string& fileName)
{
    return Parser(text, fileName).UsedUnits();
}

int CountLines(const std::string& text)
{
    const auto feeds = std::count(text.begin(), text.end(), '\n');
    return static_cast<int>(feeds) + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

} // namespace corvalis::standins
