#include "vcl/FormDescription.h"

#include <cctype>

#include "vcl/Exceptions.h"
#include "vcl/HexDigit.h"

namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    FormObject Document()
    {
        FormObject root = Object();
        SkipBlanks();
        if (pos_ < text_.size())
            Fail("text after the last 'end'");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw Exception("Error in window description, line " + std::to_string(line_) + ": " + what);
    }

    void SkipBlanks()
    {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            if (text_[pos_] == '\n')
                ++line_;
            ++pos_;
        }
    }

    bool At(char c)
    {
        SkipBlanks();
        return pos_ < text_.size() && text_[pos_] == c;
    }

    void Expect(char c)
    {
        if (!At(c))
            Fail(std::string("'") + c + "' expected");
        ++pos_;
    }

    static bool NameChar(char c, bool first)
    {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_' ||
               (!first && (std::isdigit(static_cast<unsigned char>(c)) || c == '.'));
    }

    std::string Name()
    {
        SkipBlanks();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && NameChar(text_[pos_], pos_ == start))
            ++pos_;
        if (pos_ == start)
            Fail("name expected");
        return text_.substr(start, pos_ - start);
    }

    FormObject Object()
    {
        FormObject object;
        if (Name() != "object")
            Fail("'object' expected");
        object.line = line_;
        object.name = Name();
        Expect(':');
        object.className = Name();
        for (;;) {
            const std::size_t mark = pos_;
            const int markLine = line_;
            const std::string word = Name();
            if (word == "end")
                return object;
            if (word == "object") {
                pos_ = mark;
                line_ = markLine;
                object.children.push_back(Object());
                continue;
            }
            FormProperty property;
            property.name = word;
            property.line = line_;
            Expect('=');
            property.value = Value();
            object.properties.push_back(std::move(property));
        }
    }

    FormValue Value()
    {
        SkipBlanks();
        if (pos_ >= text_.size())
            Fail("value expected");
        FormValue value;
        const char c = text_[pos_];
        if (c == '\'') {
            value.kind = FormValue::Kind::String;
            value.text = QuotedString();
        } else if (c == '[') {
            value.kind = FormValue::Kind::Set;
            ++pos_;
            if (!At(']')) {
                value.set.push_back(Name());
                while (At(',')) {
                    ++pos_;
                    value.set.push_back(Name());
                }
            }
            Expect(']');
        } else if (c == '{') {
            value.kind = FormValue::Kind::Binary;
            ++pos_;
            value.bytes = HexBytes();
        } else if (c == '-' || c == '+' || std::isdigit(static_cast<unsigned char>(c))) {
            value.kind = FormValue::Kind::Integer;
            value.integer = Integer();
        } else {
            value.kind = FormValue::Kind::Identifier;
            value.text = Name();
        }
        return value;
    }

    std::string QuotedString()
    {
        std::string result;
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == '\n')
                Fail("unterminated string");
            if (text_[pos_] == '\'') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                    result += '\'';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return result;
            }
            result += text_[pos_++];
        }
    }

    long long Integer()
    {
        const bool negative = text_[pos_] == '-';
        if (text_[pos_] == '-' || text_[pos_] == '+')
            ++pos_;
        if (pos_ >= text_.size() || !std::isdigit(static_cast<unsigned char>(text_[pos_])))
            Fail("digits expected");
        long long value = 0;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            value = value * 10 + (text_[pos_++] - '0');
            if (value > 0xffffffffLL)
                Fail("number out of range");
        }
        return negative ? -value : value;
    }

    std::vector<std::uint8_t> HexBytes()
    {
        std::vector<std::uint8_t> bytes;
        for (;;) {
            SkipBlanks();
            if (pos_ >= text_.size())
                Fail("unterminated binary data");
            if (text_[pos_] == '}') {
                ++pos_;
                return bytes;
            }
            const int high = HexDigitValue(text_[pos_]);
            const int low = pos_ + 1 < text_.size() ? HexDigitValue(text_[pos_ + 1]) : -1;
            if (high < 0 || low < 0)
                Fail("hexadecimal byte expected");
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
            pos_ += 2;
        }
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

FormObject ParseFormDescription(const std::string& text)
{
    return Parser(text).Document();
}
