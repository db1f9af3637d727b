// The IDEs' text files read within bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UScoped.h"
#include "UTextFile.h"

namespace {

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
