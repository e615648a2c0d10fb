#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The text form of a window description:
//
//   object Form1: TForm1
//     Caption = 'Tolvane'          strings in single quotes, a quote doubled inside
//     ClientWidth = 222            integers, optionally signed
//     Color = clGreen              identifiers
//     BorderIcons = [biSystemMenu] sets of identifiers
//     Picture.Data = { 0A54 ... }  bytes in hexadecimal, over as many lines as needed
//     object Button1: TButton      components, in creation order
//       ...
//     end
//   end
struct FormValue {
    enum class Kind { Integer, String, Identifier, Set, Binary };
    Kind kind = Kind::Integer;
    long long integer = 0;
    std::string text;                 // String and Identifier
    std::vector<std::string> set;     // Set
    std::vector<std::uint8_t> bytes;  // Binary
};

struct FormProperty {
    std::string name;  // may be dotted: "Font.Name"
    FormValue value;
    int line = 0;
};

struct FormObject {
    std::string name;
    std::string className;
    std::vector<FormProperty> properties;
    std::vector<FormObject> children;
    int line = 0;
};

// Raises Exception("Error in window description, line N: ...") for text that does not follow the form above.
FormObject ParseFormDescription(const std::string& text);
