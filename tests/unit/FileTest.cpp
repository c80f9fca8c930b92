#include "platform/io/File.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "support/AppHarness.h"
#include "tests/support/ReadAll.h"

namespace {

namespace fs = std::filesystem;
using Osp::Base::String;
using Osp::Io::File;

using testing_support::ReadAll;

class FileTest : public ::testing::Test {
protected:
    fs::path Home() const { return rt_.Home(); }
    testing_support::TestRuntime rt_;
};

TEST_F(FileTest, MapsHomeAndRefusesEveryOtherPath) {
    // The home sits in the shared temporary folder, where another program
    // may have its own "x": what counts is that nothing here touched it.
    const fs::path outside = Home().parent_path() / "x";
    std::error_code error;
    const auto before = fs::last_write_time(outside, error);
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
    const auto after = fs::last_write_time(outside, error);
    EXPECT_EQ(after, before) << "something was written to " << outside;
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
    // A device is never written in place of a file.
    fs::create_symlink("/dev/full", Home() / "full");
    EXPECT_EQ(full.Construct(L"/Home/full", L"w", false), E_ILLEGAL_ACCESS);
}

// Below the home no link is followed: not a folder on the way, not the file
// itself; what they point at stays as it was and nothing lands beside it.
// The home itself may be a link.
TEST_F(FileTest, WritesFollowNoLinkBelowTheHome) {
    // "Elsewhere" is any folder the links lead to; it lies in the scratch
    // home only so that the test leaves nothing behind.
    const fs::path elsewhere = Home() / "elsewhere";
    fs::create_directories(elsewhere / "deep");
    std::ofstream(elsewhere / "deportes.xml") << "ajeno";
    fs::create_symlink(elsewhere, Home() / "Res");
    fs::create_directories(Home() / "Own");
    fs::create_symlink(elsewhere / "deportes.xml", Home() / "Own/deportes.xml");
    fs::create_symlink(elsewhere / "nuevo.xml", Home() / "Own/colgante.xml");
    fs::create_symlink(elsewhere, Home() / "Own/sub");
    for (const char* path :
         {"/Home/Res/deportes.xml", "/Home/Res/nuevo.xml", "/Home/Res/deep/a.xml",
          "/Home/Own/deportes.xml", "/Home/Own/colgante.xml", "/Home/Own/sub/deep/b.xml"}) {
        SCOPED_TRACE(path);
        File file;
        EXPECT_EQ(file.Construct(String(path), L"w", true), E_ILLEGAL_ACCESS);
        EXPECT_EQ(file.Write("escrito", 7), E_INVALID_STATE);
    }
    EXPECT_EQ(ReadAll(elsewhere / "deportes.xml"), "ajeno");
    std::size_t entries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(elsewhere)) {
        entries += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(entries, 1u) << "something was created through a link";
    EXPECT_TRUE(fs::is_symlink(Home() / "Own/deportes.xml"));

    // The same home reached through a link of its own: writes go through.
    const fs::path linkedHome = Home() / "home-link";
    fs::create_symlink(Home(), linkedHome);
    rt_.Get().Settings().homeDir = linkedHome.string();
    {
        File file;
        ASSERT_EQ(file.Construct(L"/Home/Own/propio.xml", L"w", true), E_SUCCESS);
        ASSERT_EQ(file.Write("propio", 6), E_SUCCESS);
    }
    EXPECT_EQ(ReadAll(Home() / "Own/propio.xml"), "propio");
}

// Another reader of the path sees the old bytes until the new ones are all
// written, then the new ones; no temporary file is left beside them.
TEST_F(FileTest, AFileIsReplacedWholeWhenClosed) {
    fs::create_directories(Home() / "Res");
    std::ofstream(Home() / "Res/mexico.xml") << "<root>viejo</root>";
    {
        File file;
        ASSERT_EQ(file.Construct(L"/Home/Res/mexico.xml", L"w", true), E_SUCCESS);
        ASSERT_EQ(file.Write("<root>nue", 9), E_SUCCESS);
        EXPECT_EQ(ReadAll(Home() / "Res/mexico.xml"), "<root>viejo</root>");
        ASSERT_EQ(file.Write("vo</root>", 9), E_SUCCESS);
        EXPECT_EQ(ReadAll(Home() / "Res/mexico.xml"), "<root>viejo</root>");
    }
    EXPECT_EQ(ReadAll(Home() / "Res/mexico.xml"), "<root>nuevo</root>");
    // Two writers at once: each leaves a whole file, the last one closed wins.
    {
        File first, second;
        ASSERT_EQ(first.Construct(L"/Home/Res/mexico.xml", L"w", true), E_SUCCESS);
        ASSERT_EQ(second.Construct(L"/Home/Res/mexico.xml", L"w", true), E_SUCCESS);
        ASSERT_EQ(first.Write("<root>uno</root>", 16), E_SUCCESS);
        ASSERT_EQ(second.Write("<root>dos</root>", 16), E_SUCCESS);
    }
    EXPECT_EQ(ReadAll(Home() / "Res/mexico.xml"), "<root>uno</root>");
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(Home() / "Res")) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 1u);
}

} // namespace
