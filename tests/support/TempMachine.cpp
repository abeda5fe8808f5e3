#include "tests/support/TempMachine.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/win/Machine.h"

namespace testsupport {

TempDir::TempDir()
{
    std::string base = "/tmp";
    if (const char* t = std::getenv("PALLIMER_TEST_TMP"); t && *t) base = t;
    std::filesystem::create_directories(base);
    std::string tmpl = base + "/pallimer-XXXXXX";
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed in " + base);
    path_ = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Read-only files and folders must not keep the tree alive.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string Hex(const std::string& bytes)
{
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

void WriteHostFile(const std::string& hostPath, const std::string& bytes)
{
    std::ofstream f(hostPath, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + hostPath);
}

std::string ReadHostFile(const std::string& hostPath)
{
    std::ifstream f(hostPath, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + hostPath);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace testsupport

void MachineTest::SetUp()
{
    dir_ = new testsupport::TempDir();
    Machine::SetRoot(dir_->Path() + "/root");
}

void MachineTest::TearDown()
{
    delete dir_;
    dir_ = nullptr;
}

std::string MachineTest::RootPath() const
{
    return Machine::Root();
}

std::string MachineTest::Host(const std::string& winPath) const
{
    std::string host;
    DWORD err;
    if (!Machine::ToHostPath(winPath, host, err)) return {};
    return host;
}
