#include "platform/io/File.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "support/AppHarness.h"

namespace {

namespace fs = std::filesystem;
using Osp::Base::String;
using Osp::Io::File;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileTest : public ::testing::Test {
protected:
    fs::path Home() const { return rt_.Home(); }
    testing_support::TestRuntime rt_;
};

TEST_F(FileTest, MapsHomeAndRefusesEveryOtherPath) {
    std::string mapped;
    ASSERT_EQ(File::ToSystemPath(L"/Home/Res/x.xml", mapped), E_SUCCESS);
    EXPECT_EQ(mapped, (Home() / "Res/x.xml").string());
    for (const char* path : {"/etc/passwd", "", "Home/x", "/HomeX/x", "/home/x", "/Home/../x",
                             "/Home/Res/../../x", "/Home/Res/..", "..", "/tmp/../Home/x"}) {
        File file;
        EXPECT_EQ(file.Construct(String(path), L"w", true), E_ILLEGAL_ACCESS) << path;
    }
    // A NUL would cut the path short below the check.
    File withNul;
    EXPECT_EQ(withNul.Construct(String(std::u16string(u"/Home/a\0/../../x", 16)), L"w", true),
              E_ILLEGAL_ACCESS);
    EXPECT_FALSE(fs::exists(Home().parent_path() / "x"));
    EXPECT_FALSE(fs::exists(Home() / "Res"));
}

TEST_F(FileTest, CreatesFoldersTruncatesAndWritesPositionToLimit) {
    File missing;
    EXPECT_NE(missing.Construct(L"/Home/Res/a.xml", L"w", false), E_SUCCESS);
    {
        File file;
        ASSERT_EQ(file.Construct(L"/Home/Res/deep/a.xml", L"w", true), E_SUCCESS);
        ASSERT_EQ(file.Write("a longer first body", 19), E_SUCCESS);
    }
    EXPECT_EQ(ReadAll(Home() / "Res/deep/a.xml"), "a longer first body");

    Osp::Base::ByteBuffer buffer;
    ASSERT_EQ(buffer.Construct(7), E_SUCCESS);
    const Osp::Base::byte bytes[] = {'x', 'y', '\0', 'z', '\n', 'w', 'v'};
    ASSERT_EQ(buffer.SetArray(bytes, 0, 7), E_SUCCESS);
    buffer.Flip();
    ASSERT_EQ(buffer.SetPosition(1), E_SUCCESS);
    ASSERT_EQ(buffer.SetLimit(5), E_SUCCESS);
    {
        File file;
        ASSERT_EQ(file.Construct(L"/Home/Res/deep/a.xml", L"w", true), E_SUCCESS);
        ASSERT_EQ(file.Write(buffer), E_SUCCESS);
    }
    EXPECT_EQ(ReadAll(Home() / "Res/deep/a.xml"), std::string("y\0z\n", 4));
}

TEST_F(FileTest, FailuresAreResults) {
    File badMode, notOpen, directory, readOnly, full;
    EXPECT_EQ(badMode.Construct(L"/Home/a", L"rw", true), E_INVALID_ARG);
    EXPECT_EQ(notOpen.Write("x", 1), E_INVALID_STATE);
    fs::create_directories(Home() / "Res");
    EXPECT_NE(directory.Construct(L"/Home/Res", L"w", true), E_SUCCESS);
    std::ofstream(Home() / "ro.txt") << "kept";
    ASSERT_EQ(readOnly.Construct(L"/Home/ro.txt", L"r"), E_SUCCESS);
    EXPECT_EQ(readOnly.Write("x", 1), E_ILLEGAL_ACCESS);
    EXPECT_EQ(ReadAll(Home() / "ro.txt"), "kept");
    // A full disk, for real: every write to /dev/full fails with ENOSPC.
    fs::create_symlink("/dev/full", Home() / "full");
    ASSERT_EQ(full.Construct(L"/Home/full", L"w", false), E_SUCCESS);
    EXPECT_EQ(full.Write("body", 4), E_STORAGE_FULL);
}

} // namespace
