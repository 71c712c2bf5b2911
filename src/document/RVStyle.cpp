#include "document/RVStyle.h"

#include <array>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace clinova {

namespace {

// Value markers of the component streaming format.
enum : unsigned char {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaString = 6,
    vaIdent = 7,
    vaTrue = 9,
    vaSet = 11,
    vaCollection = 14,
};

class ComponentStream {
public:
    const std::string &Bytes() const { return bytes_; }

    void BeginCollection() { Byte(vaCollection); }
    void BeginItem() { Byte(vaList); }
    void EndItem() { Byte(vaNull); }
    void EndCollection() { Byte(vaNull); }

    void Text(std::string_view name, std::string_view value) {
        ShortString(name);
        Byte(vaString);
        ShortString(value);
    }

    void Integer(std::string_view name, std::int32_t value) {
        ShortString(name);
        if (value >= -128 && value <= 127) {
            Byte(vaInt8);
            LittleEndian(value, 1);
        } else if (value >= -32768 && value <= 32767) {
            Byte(vaInt16);
            LittleEndian(value, 2);
        } else {
            Byte(vaInt32);
            LittleEndian(value, 4);
        }
    }

    void Ident(std::string_view name, std::string_view value) {
        ShortString(name);
        Byte(vaIdent);
        ShortString(value);
    }

    void TrueValue(std::string_view name) {
        ShortString(name);
        Byte(vaTrue);
    }

    void Set(std::string_view name, const std::vector<std::string_view> &members) {
        ShortString(name);
        Byte(vaSet);
        for (const auto member : members)
            ShortString(member);
        ShortString("");
    }

    void EmptyCollection(std::string_view name) {
        ShortString(name);
        BeginCollection();
        EndCollection();
    }

private:
    void Byte(unsigned char b) { bytes_.push_back(static_cast<char>(b)); }

    // Names and values here are the sheet's own constants, all shorter than 256 characters.
    void ShortString(std::string_view s) {
        Byte(static_cast<unsigned char>(s.size()));
        bytes_.append(s);
    }

    void LittleEndian(std::int32_t value, int size) {
        const auto u = static_cast<std::uint32_t>(value);
        for (int i = 0; i < size; ++i)
            Byte(static_cast<unsigned char>((u >> (8 * i)) & 0xFF));
    }

    std::string bytes_;
};

using Colour = std::variant<std::monostate, std::int32_t, std::string_view>;

// The properties a text style of the sheet sets; those left empty keep their default and are not saved.
struct TextStyleDef {
    std::string_view name;
    std::string_view font = "Tahoma";
    std::optional<std::int32_t> size = {};
    std::vector<std::string_view> fontStyle = {};
    Colour colour = {};
    bool hyperlink = false; // underlined on hover, jump
    bool handCursor = false;
    bool isProtected = false;
    bool jumpModified = false;
};

const std::vector<std::string_view> kBold = {"fsBold"};
const std::vector<std::string_view> kBoldUnderline = {"fsBold", "fsUnderline"};

const std::array<TextStyleDef, 15> &TextStyles() {
    static const std::array<TextStyleDef, 15> styles = {{
        {.name = "_KEYWORD_NONE", .colour = std::int32_t{6250335}},
        {.name = "_KEYWORD_MEDECINE", .colour = std::string_view("clBlue"), .isProtected = true},
        {.name = "_KEYWORD_LABORATOIRE",
         .fontStyle = kBold,
         .colour = std::string_view("clNavy"),
         .hyperlink = true,
         .isProtected = true},
        {.name = "_KEYWORD_RADIO", .fontStyle = kBold, .hyperlink = true, .isProtected = true},
        {.name = "_KEYWORD_CHIRURGIE",
         .fontStyle = kBold,
         .hyperlink = true,
         .handCursor = true,
         .isProtected = true,
         .jumpModified = true},
        {.name = "_KEYWORD_CARDIO", .fontStyle = kBold, .hyperlink = true, .isProtected = true},
        {.name = "_KEYWORD_ECHO", .fontStyle = kBold, .hyperlink = true, .isProtected = true},
        {.name = "_KEYWORD_OPHTALMO", .fontStyle = kBold, .hyperlink = true, .isProtected = true},
        {.name = "_KEYWORD_ENDO", .fontStyle = kBold, .hyperlink = true, .isProtected = true},
        {.name = "_KEYWORD_COMPTES_RENDUS", .fontStyle = kBold, .hyperlink = true, .isProtected = true},
        {.name = "_STYLE_TITLE", .font = "Arial", .size = 12, .fontStyle = kBold, .colour = std::int32_t{12615680}},
        {.name = "_STYLE_TITLE_ORDO", .fontStyle = kBoldUnderline, .colour = std::string_view("clBlack")},
        {.name = "_STYLE_TITLE_ORDO_PHARMA", .fontStyle = kBoldUnderline, .colour = std::string_view("clBlack")},
        {.name = "_STYLE_DCD", .fontStyle = kBold, .colour = std::string_view("clRed")},
        {.name = "_STYLE_NORMAL_10_BLACK", .colour = std::string_view("clBlack")},
    }};
    return styles;
}

constexpr std::array<std::string_view, 2> kParaStyleNames = {"Paragraph Style", "Centered"};

void WriteTextStyle(ComponentStream &s, const TextStyleDef &def) {
    s.BeginItem();
    s.Text("StyleName", def.name);
    s.Text("FontName", def.font);
    if (def.size)
        s.Integer("Size", *def.size);
    if (!def.fontStyle.empty())
        s.Set("Style", def.fontStyle);
    if (const auto *value = std::get_if<std::int32_t>(&def.colour))
        s.Integer("Color", *value);
    else if (const auto *ident = std::get_if<std::string_view>(&def.colour))
        s.Ident("Color", *ident);
    if (def.hyperlink) {
        s.Set("HoverEffects", {"rvheUnderline"});
        s.TrueValue("Jump");
    }
    if (def.handCursor)
        s.Ident("JumpCursor", "crHandPoint");
    if (def.isProtected)
        s.Set("Protection", {"rvprStyleSplitProtect", "rvprModifyProtect", "rvprDeleteProtect", "rvprConcateProtect",
                             "rvprRVFInsertProtect", "rvprDoNotAutoSwitch"});
    if (def.jumpModified)
        s.Set("ModifiedProperties", {"rvfiJump", "rvfiJumpCursor"});
    s.EndItem();
}

} // namespace

std::string TextStylesStream() {
    ComponentStream s;
    s.BeginCollection();
    for (const auto &def : TextStyles())
        WriteTextStyle(s, def);
    s.EndCollection();
    return s.Bytes();
}

std::string ParaStylesStream() {
    ComponentStream s;
    s.BeginCollection();
    s.BeginItem();
    s.Text("StyleName", kParaStyleNames[0]);
    s.EmptyCollection("Tabs");
    s.EndItem();
    s.BeginItem();
    s.Text("StyleName", kParaStyleNames[1]);
    s.Ident("Alignment", "rvaCenter");
    s.EmptyCollection("Tabs");
    s.EndItem();
    s.EndCollection();
    return s.Bytes();
}

std::string ListStylesStream() {
    ComponentStream s;
    s.BeginCollection();
    s.EndCollection();
    return s.Bytes();
}

int TextStyleIndex(std::string_view styleName) {
    const auto &styles = TextStyles();
    for (std::size_t i = 0; i < styles.size(); ++i)
        if (styles[i].name == styleName)
            return static_cast<int>(i);
    return -1;
}

int ParaStyleIndex(std::string_view styleName) {
    for (std::size_t i = 0; i < kParaStyleNames.size(); ++i)
        if (kParaStyleNames[i] == styleName)
            return static_cast<int>(i);
    return -1;
}

} // namespace clinova
