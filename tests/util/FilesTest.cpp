#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "util/Files.h"

namespace orvane {
namespace {

std::vector<std::string> Attempts(const std::string& path, bool* result = nullptr) {
    std::vector<std::string> made;
    const bool ok = MakeDirectories(path, [&](const std::string& f) { made.push_back(f); });
    if (result)
        *result = ok;
    return made;
}

TEST(MakeDirectories, WalksDotsAndNeverCreatesTheRoot) {
    struct Case {
        std::string path;
        std::vector<std::string> made;
        bool result;
    };
    const Case cases[] = {
        {"/A/B", {"/A", "/A/B"}, true},
        {"/A/./B", {"/A", "/A/B"}, true},
        {"/A/../B", {"/A", "/B"}, true},
        {"/../B", {}, false},
        {"/A/B/", {"/A", "/A/B", "/A/B/"}, true},
        {"A/../B", {"A"}, false},
        {"", {""}, true},
    };
    for (const auto& c : cases) {
        bool ok = !c.result;
        EXPECT_EQ(Attempts(c.path, &ok), c.made) << c.path;
        EXPECT_EQ(ok, c.result) << c.path;
    }
}

TEST(MakeDirectories, CreatesTheChainOnDisk) {
    const std::string base = testing::TempDir() + "mkdirs_" + std::to_string(::getpid());
    ASSERT_TRUE(MakeDirectories(base + "/one/./two/../three"));
    EXPECT_TRUE(std::filesystem::is_directory(base + "/one/three"));
    EXPECT_TRUE(std::filesystem::is_directory(base + "/one/two"));
    EXPECT_TRUE(MakeDirectories(base + "/one"));  // existing folders are fine
    std::filesystem::remove_all(base);
}

TEST(GetModuleFolder, IsTheFolderOfThisTestProgram) {
    const std::string folder = GetModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "/util_tests"));
    EXPECT_EQ(FolderOfPath("/App/x"), "/App");
    EXPECT_EQ(FolderOfPath("x"), "");
}

}  // namespace
}  // namespace orvane
