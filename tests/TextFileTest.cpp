// The IDEs' text files written whole and read within bounds, files opened
// never through a link, and the journal that puts files back after a
// cancelled run.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <sddl.h>

#include "script/URunJournal.h"
#include "TestSupport.h"
#include "util/ULinks.h"
#include "util/UScoped.h"
#include "util/UTextFile.h"

namespace {

std::string Read(const std::string& path) {
    std::string data;
    ReadFileBytes(path, &data);
    return data;
}

// The file's permissions as SDDL text.
std::string Permissions(const std::string& path) {
    char descriptor[4096];
    DWORD size = 0;
    char* text = nullptr;
    if (!GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor, &size) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                              &text, nullptr)) {
        return "(unreadable)";
    }
    std::string permissions = text;
    LocalFree(text);
    return permissions;
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
    // What the file was given besides its bytes stays with it.
    TempDir temp;
    const std::string path = temp / "d7.als";
    WriteFileBytes(path, "old");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    PSECURITY_DESCRIPTOR own = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;BA)(A;;FR;;;BU)", SDDL_REVISION_1,
                                                                     &own, nullptr));
    ASSERT_TRUE(SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, own));
    LocalFree(own);
    const std::string permissions = Permissions(path);
    EXPECT_EQ(ReplaceFileWhole(AnsiString(path.c_str()), "new"), 0u);
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              DWORD(FILE_ATTRIBUTE_HIDDEN)) << "its attributes";
    EXPECT_EQ(Permissions(path), permissions);
}

// Whoever looks at the file while it is rewritten, again and again, finds it
// there with the old bytes or the new ones: a run ended at any moment leaves
// it whole.
TEST(ReplaceFileWhole, TheFileIsThereWholeAtEveryMoment) {
    TempDir temp;
    const std::string path = temp / "bcb6.als";
    const std::string old = "TButton=vcl.hlp>main\r\n", added = old + "TVlGrid=vllib.hlp>main\r\n";
    WriteFileBytes(path, old);
    std::atomic<bool> done{false};
    std::vector<std::string> seen;
    std::thread watcher([&] {
        while (!done) {
            HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) {
                if (GetLastError() != ERROR_SHARING_VIOLATION) seen.push_back("missing");
                continue;
            }
            char bytes[256];
            DWORD read = 0;
            ReadFile(file, bytes, sizeof bytes, &read, nullptr);
            CloseHandle(file);
            std::string text(bytes, read);
            if (text != old && text != added) seen.push_back(text);
        }
    });
    for (int i = 0; i < 300; ++i) ReplaceFileWhole(AnsiString(path.c_str()), AnsiString((i % 2 ? old : added).c_str()));
    done = true;
    watcher.join();
    EXPECT_EQ(seen, std::vector<std::string>{});
    EXPECT_EQ(ListTree(temp.Path()), std::vector<std::string>{"bcb6.als"});
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

TEST(OpenForReadingNoFollow, OpensOnlyAFileThatIsWhereItsNameSays) {
    TempDir temp;
    CreateDirectoryA((temp / "folder").c_str(), nullptr);
    WriteFileBytes(temp / "victim.txt", "the victim's");
    WriteFileBytes(temp / "folder\\plain.txt", "plain");
    ASSERT_TRUE(MakeLink(temp / "folder\\to-file.txt", temp / "victim.txt"));
    ASSERT_TRUE(MakeLink(temp / "to-folder", temp / "folder"));
    struct Case {
        std::string path;
        DWORD error;  // 0 when it opens
    } cases[] = {
        {temp / "folder\\plain.txt", 0},
        {temp / "folder\\to-file.txt", ErrorLinkOnTheWay},
        {temp / "to-folder", ERROR_ACCESS_DENIED},  // a folder is no file to read
        {temp / "to-folder\\plain.txt", 0},  // a link above is the caller's to check
        {temp / "folder\\missing.txt", ERROR_FILE_NOT_FOUND},
        {temp / "missing\\plain.txt", ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        TScopedFile file(INVALID_HANDLE_VALUE);
        bool opened = OpenForReadingNoFollow(AnsiString(c.path.c_str()), &file);
        EXPECT_EQ(opened, c.error == 0) << c.path;
        EXPECT_EQ(file.IsValid(), opened) << c.path;
        if (!opened) {
            EXPECT_EQ(GetLastError(), c.error) << c.path;
        }
    }
    for (const char* link : {"folder\\to-file.txt", "to-folder"}) RemoveLink(temp / link);
}

class Journal : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::string& link : links_) RemoveLink(link);
    }
    bool Plant(const std::string& link, const std::string& target) {
        links_.push_back(link);
        return MakeLink(link, target);
    }
    TempDir temp_;
    const std::string file_ = temp_ / "d7.als";
    const std::string victim_ = temp_ / "victim.txt";
    std::vector<std::string> links_;
};

TEST_F(Journal, PutsBackWhatWasThereAndTakesAwayWhatWasNot) {
    WriteFileBytes(file_, "before the run");
    TRunJournal journal;
    journal.Keep(AnsiString(file_.c_str()));
    journal.Keep(AnsiString((temp_ / "new.bpl").c_str()));
    journal.Keep(AnsiString((temp_ / "missing\\new.bpl").c_str()));
    WriteFileBytes(file_, "changed by the run");
    journal.Keep(AnsiString(file_.c_str()));  // kept once, as it was first
    WriteFileBytes(temp_ / "new.bpl", "made by the run");
    journal.Restore();
    EXPECT_EQ(Read(file_), "before the run");
    EXPECT_EQ(ListTree(temp_.Path()), std::vector<std::string>{"d7.als"});
}

// A link in the file's place, when the run begins or after it: the journal
// neither writes what it leads to back as the file, nor deletes it.
TEST_F(Journal, NeverPutsBackOrDeletesThroughALink) {
    WriteFileBytes(victim_, "the victim's");
    ASSERT_TRUE(Plant(file_, victim_));
    TRunJournal journal;
    journal.Keep(AnsiString(file_.c_str()));
    WriteFileBytes(victim_, "the victim's, later");
    journal.Restore();
    EXPECT_TRUE(IsLink(file_)) << "not replaced by a copy of what it led to";
    EXPECT_EQ(Read(victim_), "the victim's, later");

    const std::string absent = temp_ / "new.bpl";
    journal.Keep(AnsiString(absent.c_str()));
    ASSERT_TRUE(Plant(absent, victim_));
    journal.Restore();
    EXPECT_EQ(Read(victim_), "the victim's, later") << "deleted through the link";
}

TEST_F(Journal, KeepsNoFileLargerThanItsBound) {
    ASSERT_TRUE(MakeSizedFile(file_, 64LL * 1024 * 1024 + 1));
    TRunJournal journal;
    journal.Keep(AnsiString(file_.c_str()));
    WriteFileBytes(file_, "changed by the run");
    journal.Restore();
    EXPECT_EQ(Read(file_), "changed by the run");
}

}  // namespace
