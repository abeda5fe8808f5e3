// formc: compiles a text form description into a binary form stream, or prints a
// binary form stream as text.
//
//   formc IN.dfm -o OUT.bin [--utf8] [--design-dir DIR]
//   formc --text IN.bin [-o OUT.txt]
//   formc --class-name IN.dfm          prints the root class name ("TForm1")
//
// Files named by design-time properties (a storage's FileName) are Windows paths on the
// emulated machine; relative ones are taken from the text form's folder (or DIR). Unless
// PALLIMER_ROOT is set, formc works on a private machine root that it removes again.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/classes/TextForm.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/Machine.h"

void RegisterDesignClasses();

namespace {

int Usage()
{
    std::cerr << "usage: formc IN.dfm -o OUT.bin [--utf8] [--design-dir DIR]\n"
                 "       formc --text IN.bin [-o OUT.txt]\n"
                 "       formc --class-name IN.dfm\n";
    return 2;
}

bool ReadFile(const std::string& path, std::string& out)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    std::ostringstream ss;
    ss << f.rdbuf();
    out = ss.str();
    return !f.bad();
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    // A failed or interrupted run never leaves a half-written output behind.
    std::string tmp = path + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        f.close();
        if (!f) {
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

// A private machine root for the run, removed on every path.
struct PrivateRoot {
    std::string path;
    PrivateRoot()
    {
        if (const char* r = std::getenv("PALLIMER_ROOT"); r && *r) return;
        std::string tmpl = (std::filesystem::temp_directory_path() / "formc-XXXXXX").string();
        if (char* p = mkdtemp(tmpl.data())) {
            path = p;
            Machine::SetRoot(path);
        }
    }
    ~PrivateRoot()
    {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    std::string in, out, designDir;
    bool toText = false, className = false, utf8 = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-o" && i + 1 < argc) out = argv[++i];
        else if (a == "--text") toText = true;
        else if (a == "--class-name") className = true;
        else if (a == "--utf8") utf8 = true;
        else if (a == "--design-dir" && i + 1 < argc) designDir = argv[++i];
        else if (!a.empty() && a[0] == '-') return Usage();
        else if (in.empty()) in = a;
        else return Usage();
    }
    if (in.empty() || (!toText && !className && out.empty())) return Usage();

    std::string input;
    if (!ReadFile(in, input)) {
        std::cerr << "formc: cannot read " << in << "\n";
        return 1;
    }
    try {
        if (className) {
            std::string cls = TextFormClassName(utf8 ? Utf8ToAnsi(input) : input);
            if (cls.empty()) {
                std::cerr << "formc: " << in << ": no object found\n";
                return 1;
            }
            std::cout << cls << "\n";
            return 0;
        }
        PrivateRoot root;
        RegisterDesignClasses();
        std::string result;
        if (toText) {
            result = FormBinaryToText(input);
        } else {
            std::string dir = designDir.empty() ? std::filesystem::absolute(in).parent_path().string() : designDir;
            DWORD err = 0;
            if (!Machine::SetCurrentDirectory(Machine::FromHostPath(std::filesystem::absolute(dir).string()), err)) {
                std::cerr << "formc: cannot use " << dir << " as the design-time folder (error " << err << ")\n";
                return 1;
            }
            result = FormTextToBinary(utf8 ? Utf8ToAnsi(input) : input);
        }
        if (out.empty()) {
            std::cout << result;
            return std::cout ? 0 : 1;
        }
        if (!WriteFileAtomically(out, result)) {
            std::cerr << "formc: cannot write " << out << "\n";
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "formc: " << in << ": " << e.what() << "\n";
        return 1;
    }
}
