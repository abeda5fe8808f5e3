// Test support: a fresh machine root in a new temporary folder for each test.
#pragma once

#include <string>

#include <gtest/gtest.h>

namespace testsupport {

// A new empty folder under $PALLIMER_TEST_TMP (or /tmp), removed on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    // Host path of a file inside.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Bytes as upper-case hex pairs separated by spaces ("01 06 0D"), for readable failures.
std::string Hex(const std::string& bytes);

// Writes / reads a whole host file.
void WriteHostFile(const std::string& hostPath, const std::string& bytes);
std::string ReadHostFile(const std::string& hostPath);

}  // namespace testsupport

// A fixture whose every test runs on its own freshly seeded machine root.
class MachineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Host path of the machine root and of a Windows path on it.
    std::string RootPath() const;
    std::string Host(const std::string& winPath) const;

    testsupport::TempDir* dir_ = nullptr;
};
