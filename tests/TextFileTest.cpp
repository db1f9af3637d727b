// The IDEs' text files written whole and read within bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UScoped.h"
#include "UTextFile.h"

namespace {

std::string Read(const std::string& path) {
    std::string data;
    ReadFileBytes(path, &data);
    return data;
}

// A file of `size` bytes, all NUL, made without writing them.
bool MakeSizedFile(const std::string& path, LONGLONG size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end;
    end.QuadPart = size;
    bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return made;
}

TEST(ReplaceFileWhole, WritesTheFileWholeAndLeavesNothingBesideIt) {
    struct Case {
        const char* name;
        bool existed;
        std::string before, after;
    } cases[] = {
        {"a new file", false, "", "new\r\n"},
        {"a longer file", true, "old\r\n", "the new content\r\n"},
        {"a shorter file", true, "the old content\r\n", "x"},
        {"emptied", true, "old", ""},
        {"created empty", false, "", ""},
    };
    for (const Case& c : cases) {
        TempDir temp;
        const std::string path = temp / "d7.als";
        if (c.existed) WriteFileBytes(path, c.before);
        EXPECT_EQ(ReplaceFileWhole(AnsiString(path.c_str()), AnsiString(c.after.data(), c.after.size())), 0u)
            << c.name;
        EXPECT_TRUE(Exists(path)) << c.name;
        EXPECT_EQ(Read(path), c.after) << c.name;
        EXPECT_EQ(ListTree(temp.Path()), std::vector<std::string>{"d7.als"}) << c.name;
    }
}

// A file that cannot be replaced stays byte for byte, and the new file
// goes again.
TEST(ReplaceFileWhole, AFailureLeavesTheFileAsItWasAndNoNewFile) {
    TempDir temp;
    const std::string path = temp / "d7.als";
    WriteFileBytes(path, "the IDE's own\r\n");
    const AnsiString target(path.c_str());

    SetReadOnly(path, true);
    EXPECT_EQ(ReplaceFileWhole(target, "new"), uint32_t(ERROR_ACCESS_DENIED)) << "read-only";
    SetReadOnly(path, false);
    EXPECT_EQ(Read(path), "the IDE's own\r\n");
    EXPECT_EQ(ListTree(temp.Path()), std::vector<std::string>{"d7.als"});

    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReplaceFileWhole(target, "new"), uint32_t(ERROR_SHARING_VIOLATION)) << "held open";
    CloseHandle(held);
    EXPECT_EQ(Read(path), "the IDE's own\r\n");
    EXPECT_EQ(ListTree(temp.Path()), std::vector<std::string>{"d7.als"});

    EXPECT_EQ(ReplaceFileWhole(AnsiString((temp / "missing\\d7.als").c_str()), "new"),
              uint32_t(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ListTree(temp.Path()), std::vector<std::string>{"d7.als"});
}

TEST(ReadTextFile, RefusesAFileLargerThanAnyIdesWithoutReadingIt) {
    TempDir temp;
    const std::string path = temp / "d7.ohl";
    AnsiString content("kept");
    ASSERT_TRUE(MakeSizedFile(path, LONGLONG(MaxTextFileBytes) + 1));
    EXPECT_EQ(ReadTextFile(AnsiString(path.c_str()), &content), tfTooLarge);
    EXPECT_STREQ(content.CStr(), "kept") << "nothing read";
    // As large as it may be, it is read (and is no text: all NUL).
    ASSERT_TRUE(MakeSizedFile(path, MaxTextFileBytes));
    EXPECT_EQ(ReadTextFile(AnsiString(path.c_str()), &content), tfNotText);
    EXPECT_EQ(content.Length(), MaxTextFileBytes);

    // The whole-file reader's own bound, through an open handle.
    WriteFileBytes(path, "12345");
    TScopedFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(ReadWholeFile(file.Get(), &content, 4), tfTooLarge);
    EXPECT_EQ(ReadWholeFile(file.Get(), &content, 5), 0);
    EXPECT_STREQ(content.CStr(), "12345");
}

}  // namespace
