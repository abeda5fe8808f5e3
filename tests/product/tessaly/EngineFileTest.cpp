// The engine file check and the loader: only the engine the program was built with
// is loaded, and every other file gives a message that says what is wrong.
#include <dlfcn.h>
#include <sys/stat.h>

#include <filesystem>

#include <QCryptographicHash>
#include <QtGlobal>

#include <gtest/gtest.h>

#include "product/tessaly/Engine.h"
#include "tests/support/TempMachine.h"

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

const std::string kBuiltDll = TESSALY_BIN_DIR "/tsly.dll";

// The file of a shared library this process has loaded (the toolkit's core, wherever
// the system keeps it).
std::string LibraryOf(void* symbol)
{
    Dl_info info{};
    return dladdr(symbol, &info) && info.dli_fname ? info.dli_fname : "";
}

EngineIdentity IdentityOf(const std::string& bytes)
{
    return {static_cast<int64_t>(bytes.size()),
            QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex().toStdString()};
}

TEST(EngineFile, TheBuiltEngineMatchesTheIdentityCompiledIn)
{
    std::string bytes, reason;
    EXPECT_EQ(ReadEngineFile(kBuiltDll, kBuiltEngine, bytes, reason), EngineProblem::None) << reason;
    EXPECT_EQ(static_cast<int64_t>(bytes.size()), kBuiltEngine.Size);
}

TEST(EngineFile, EveryOtherFileIsMissingOrDamaged)
{
    testsupport::TempDir dir;
    const std::string good = testsupport::ReadHostFile(kBuiltDll);
    std::string flipped = good;
    flipped[flipped.size() / 2] ^= 0x20;
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        EngineProblem problem;
        std::string reason;
    };
    const Case cases[] = {
        {"missing", [](const std::string&) {}, EngineProblem::Missing, ""},
        {"empty", [](const std::string& p) { testsupport::WriteHostFile(p, ""); }, EngineProblem::Damaged,
         "it has 0 bytes instead of " + std::to_string(good.size())},
        {"truncated", [&](const std::string& p) { testsupport::WriteHostFile(p, good.substr(0, good.size() - 1)); },
         EngineProblem::Damaged, "bytes instead of"},
        {"longer", [&](const std::string& p) { testsupport::WriteHostFile(p, good + "x"); }, EngineProblem::Damaged,
         "bytes instead of"},
        {"one bit changed", [&](const std::string& p) { testsupport::WriteHostFile(p, flipped); },
         EngineProblem::Damaged, "its contents are not those"},
        {"a folder", [](const std::string& p) { fs::create_directory(p); }, EngineProblem::Damaged, "it is not a file"},
        {"a dangling link", [](const std::string& p) { fs::create_symlink("/no/such/file", p); }, EngineProblem::Missing,
         ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = dir.Path() + "/" + std::to_string(n++) + "/tsly.dll";
        fs::create_directories(fs::path(path).parent_path());
        c.make(path);
        std::string bytes, reason;
        EXPECT_EQ(ReadEngineFile(path, kBuiltEngine, bytes, reason), c.problem) << c.what;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
        std::string message;
        EXPECT_EQ(Engine::Load(path, kBuiltEngine, message), nullptr) << c.what;
        EXPECT_NE(message.find("tsly.dll"), std::string::npos) << message;
        EXPECT_NE(message.find(fs::path(path).parent_path().string()), std::string::npos) << message;
        EXPECT_NE(message.find(c.problem == EngineProblem::Missing ? "is missing" : "is damaged"), std::string::npos)
            << message;
    }
}

TEST(EngineFile, AFileThatPassesTheCheckButIsNoEngineIsStillRefused)
{
    // What the loader does with files the check lets through: a build's identity
    // made for them, as if the program had been built with them.
    testsupport::TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;
        std::string reason;
    };
    const Case cases[] = {
        {"text", "not a library at all", "The system cannot load it"},
        {"another library", testsupport::ReadHostFile(LibraryOf(reinterpret_cast<void*>(&qVersion))),
         "It lacks the function tsly_abi_version"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Path() + "/tsly.dll";
        testsupport::WriteHostFile(path, c.bytes);
        std::string message;
        EXPECT_EQ(Engine::Load(path, IdentityOf(c.bytes), message), nullptr) << c.what;
        EXPECT_NE(message.find(c.reason), std::string::npos) << c.what << ": " << message;
    }
}

TEST(Engine, LoadsTheBuiltEngineAndAnswersThroughIt)
{
    std::string message;
    auto engine = Engine::Load(kBuiltDll, kBuiltEngine, message);
    ASSERT_NE(engine, nullptr) << message;
    EXPECT_EQ(engine->Version(), "1.1");
    ASSERT_EQ(engine->TilingCount(), 10);
    EXPECT_EQ(engine->TilingSymbol(3), "4.8.8");
    EXPECT_EQ(engine->ShapeName(3, 1), "square");
    std::vector<EngineTile> tiles;
    ASSERT_EQ(engine->TilesIn(0, 0.5, 0.5, 3.5, 1.5, 100, tiles), TSLY_OK);
    EXPECT_EQ(tiles.size(), 4u * 2u);
    EXPECT_EQ(engine->TilesIn(0, 0, 0, 100, 100, 10, tiles), TSLY_E_TOO_MANY);
    EXPECT_TRUE(tiles.empty());
}

}  // namespace
