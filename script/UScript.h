// TScript executes the install script one item per call, on behalf of the
// progress page, which owns the loop:
//
//   TScript script(TakeBackEarlierInstallation);  script.Start();
//   while (script.Index < script.ItemCount()) {
//       script.ItemCaption(&caption);
//       int32_t code = script.ExecuteItem();   // report LogLine when non-zero
//       script.Index += 1;                     // progress by ItemStep()
//   }
//   (the destructor closes the logs)
//
// Each executed item appends its line to install.log and, when recorded, a
// record to uninst.log; a failing item does not stop the run.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "catalogue/UbrcStringList.h"
#include "script/URunJournal.h"
#include "script/UScriptItems.h"
#include "util/UAnsiString.h"
#include "util/URunState.h"
#include "util/UScoped.h"

// Why a Windows call failed, as the system tells it in the user's language
// (without the line break it ends with); empty when it tells nothing.
AnsiString FailureReason(int32_t code);

// Takes back the earlier installation, if there is one, before a run
// begins: true when it did. It adds the folders that installation made and
// left (full paths) to `madeFolders`, and raises `parentsMade` to the number
// of folders it made above its install folder. Its folder becomes InstallDir.
typedef bool (*TTakeBackEarlier)(TbrcStringList* madeFolders, uint32_t* parentsMade);

class TScript {
public:
    // Runs `items` (the install script unless a test gives another table),
    // first taking back an earlier installation through `takeBackEarlier`.
    explicit TScript(TTakeBackEarlier takeBackEarlier, const ScriptItem* items = ScriptItems,
                     int32_t count = ScriptItemCount);
    ~TScript();
    TScript(const TScript&) = delete;
    TScript& operator=(const TScript&) = delete;

    // Creates install.log and uninst.log in InstallDir with their headers
    // and sets Index to 0. A log that cannot be created is not written.
    int32_t Start();
    int32_t ItemCount() const { return count_; }
    int32_t ItemStep() const { return 1; }
    // Sets the caption for the item at Index by its kind; other kinds leave
    // it as it is, so the last category stays shown.
    void ItemCaption(AnsiString* caption) const;
    // Executes the item at Index; 0 is success.
    int32_t ExecuteItem();
    // Closes uninst.log, then install.log.
    int32_t Finish();

    int32_t Index = 0;        // the item ExecuteItem executes next; the caller advances it
    uint32_t SkipOp = 0;      // 0, or the end opcode that ends the block being skipped
    uint32_t SkipMask = 0;    // the Value that end item must carry
    AnsiString LogLine;       // the install-log line of the last executed item; a failure's reason follows it
    bool RemovedPrevious = false;  // Start took back an earlier installation
    AnsiString CreatedFolder;      // the outermost folder Start made for the logs, if any
    bool FolderMade = false;       // Start found or made the install folder
    // An install folder that was there before and that users other than
    // administrators could change: Start made it a program folder only they
    // can change (0), or could not (the Windows error); then nothing may be
    // installed there.
    uint32_t ProtectError = 0;
    bool FolderProtected = false;
    TRunJournal Journal;           // files changed outside the install folder without a record
    // The folders that are the product's to empty (full paths): those this
    // run made, and those that the installation taken back had made and left.
    TbrcStringList MadeFolders;
    // How many folders above the install folder were made for it, by this
    // run or the installation taken back; its record carries the number.
    uint32_t ParentsMade = 0;

private:
    bool IsMadeFolder(const AnsiString& path) const;
    void WarnOfIdeFolder();
    int32_t ExecuteOneItem(const ScriptItem& item);
    int32_t Perform(const ScriptItem& item);
    void KeepUnrecordedTarget(const ScriptItem& item);
    // siUninstallPrevious, also the first step of Start.
    int32_t RemovePreviousInstallation();
    void OpenInstallLog();
    void OpenUninstLog();
    void WriteInstallLogLine(const AnsiString& line);
    void WriteUninstRecord(const ScriptItem& item);
    // The record after the last item's: the log holds the whole run.
    void WriteEndOfLog();
    // Puts both logs on the disk.
    void FlushLogs();

    TTakeBackEarlier takeBackEarlier_;
    const ScriptItem* items_;
    int32_t count_;
    TScopedFile installLog_{INVALID_HANDLE_VALUE};
    TScopedFile uninstLog_{INVALID_HANDLE_VALUE};
    bool itemMadeFolder_ = false;  // the last siCreateDirectory's folder is the product's
    uint32_t warnedIdes_ = 0;      // the IDEs whose folders have been looked at
};
