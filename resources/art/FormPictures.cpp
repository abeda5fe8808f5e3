#include "resources/art/FormPictures.h"

#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

#include "platform/graphics/Icon.h"
#include "platform/graphics/Picture.h"
#include "resources/art/SetupPictures.h"

namespace art {

namespace {

std::string SetupIconBytes()
{
    TBitmap image, mask;
    DrawSetupIcon(image, mask);
    TIcon icon;
    icon.SetImage(image, mask);
    return icon.Bytes();
}

std::string IconPicture()
{
    TPicture pic;
    pic.Icon()->LoadFromBytes(SetupIconBytes());
    return pic.Data();
}

std::string WizardPicture()
{
    TBitmap b;
    DrawWizardPicture(b);
    TPicture pic;
    pic.Bitmap()->Assign(&b);
    return pic.Data();
}

std::string NewFolderGlyph()
{
    TBitmap b;
    DrawNewFolderGlyph(b);
    return b.Data();
}

struct Slot {
    const char* File;
    const char* Object;    // the object whose property holds the picture
    const char* Property;  // as written in the description
    std::function<std::string()> Data;
};

const std::vector<Slot>& Slots()
{
    static const std::vector<Slot> slots = {
        {"Unit1.dfm", "Form1", "Icon.Data", SetupIconBytes},
        {"Unit2.dfm", "Image1", "Picture.Data", IconPicture},
        {"Unit3.dfm", "Form3", "Icon.Data", SetupIconBytes},
        {"Unit3.dfm", "Image1", "Picture.Data", WizardPicture},
        {"Unit3.dfm", "Image2", "Picture.Data", IconPicture},
        {"Unit5.dfm", "BitBtn1", "Glyph.Data", NewFolderGlyph},
    };
    return slots;
}

// The value as the form compiler prints binary data: 32 bytes a line, two spaces deeper
// than the property, the brace closing right after the last byte.
std::string HexBlock(const std::string& bytes, size_t indent)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out = "{";
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 32 == 0) out += "\n" + std::string(indent + 2, ' ');
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out + "}";
}

std::string Trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// Replaces `Object`'s `Property = {...}` in the description text.
std::string Replace(const std::string& text, const Slot& slot)
{
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    std::vector<std::string> objects;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string t = Trim(lines[i]);
        if (t.rfind("object ", 0) == 0 || t.rfind("inherited ", 0) == 0) {
            std::string name = t.substr(t.find(' ') + 1);
            name = name.substr(0, name.find(':'));
            objects.push_back(Trim(name));
            continue;
        }
        if (t == "end") {
            if (!objects.empty()) objects.pop_back();
            continue;
        }
        std::string prefix = std::string(slot.Property) + " = {";
        if (objects.empty() || objects.back() != slot.Object || t.rfind(prefix, 0) != 0) continue;
        size_t last = i;
        while (last < lines.size() && lines[last].find('}') == std::string::npos) ++last;
        if (last == lines.size()) throw std::runtime_error(std::string(slot.File) + ": unterminated " + slot.Property);
        size_t indent = lines[i].find_first_not_of(' ');
        std::string block = std::string(indent, ' ') + slot.Property + " = " + HexBlock(slot.Data(), indent);
        std::string out;
        for (size_t k = 0; k < i; ++k) out += lines[k] + "\n";
        out += block + "\n";
        for (size_t k = last + 1; k < lines.size(); ++k) out += lines[k] + "\n";
        return out;
    }
    throw std::runtime_error(std::string(slot.File) + ": no " + slot.Property + " in " + slot.Object);
}

}  // namespace

std::vector<std::string> UpdateFormPictures(const std::string& FormsDir, bool CheckOnly)
{
    std::vector<std::string> changed;
    std::vector<std::string> files;
    for (const Slot& s : Slots())
        if (files.empty() || files.back() != s.File) files.push_back(s.File);
    for (const std::string& file : files) {
        std::string path = FormsDir + "/" + file;
        std::ifstream f(path, std::ios::binary);
        if (!f) throw std::runtime_error("cannot read " + path);
        std::ostringstream ss;
        ss << f.rdbuf();
        std::string before = ss.str(), after = before;
        for (const Slot& s : Slots())
            if (file == s.File) after = Replace(after, s);
        if (after == before) continue;
        changed.push_back(file);
        if (CheckOnly) continue;
        std::ofstream o(path + ".new", std::ios::binary);
        o << after;
        o.close();
        if (!o || std::rename((path + ".new").c_str(), path.c_str()) != 0)
            throw std::runtime_error("cannot write " + path);
    }
    return changed;
}

}  // namespace art
