// Registry helpers. Each opens the key, does one thing, closes the key and
// answers with success or failure; the caller decides what a failure means.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "util/UAnsiString.h"

// Root keys as their raw predefined values, as the script and the uninstall
// log store them.
const uint32_t RootCurrentUser = 0x80000001;   // HKEY_CURRENT_USER
const uint32_t RootLocalMachine = 0x80000002;  // HKEY_LOCAL_MACHINE

// dwPlatformId of the running Windows; 0 until DetectPlatform has run.
// 2 (NT) makes the tree deletion recurse.
extern uint32_t PlatformId;
void DetectPlatform();

// True when a REG_SZ value was read; `text` is empty otherwise. The stored
// terminating NUL is dropped; a value stored without one is read whole.
bool ReadRegString(uint32_t root, const char* key, const char* name, AnsiString* text);
// True when the value was read; `value` is 0 otherwise. Any value of at most
// four bytes is taken as it is stored.
bool ReadRegDword(uint32_t root, const char* key, const char* name, uint32_t* value);
// Write a REG_SZ (with its NUL) or REG_DWORD value, creating the key when missing.
bool WriteRegString(uint32_t root, const char* key, const char* name, const char* text);
bool WriteRegDword(uint32_t root, const char* key, const char* name, uint32_t value);
// True when the key exists afterwards.
bool CreateRegKey(uint32_t root, const char* key);
// Never creates the key.
bool DeleteRegValue(uint32_t root, const char* key, const char* name);

// Deletes the key with everything below it, then each ancestor left with
// neither values nor other subkeys, walking upwards; the first component of
// the path always stays. False when the key cannot be opened or the path is
// empty: a root is never emptied.
bool DeleteRegKeyTree(uint32_t root, const char* key);
// Deletes every subkey of an open key; on NT each one's own subkeys first.
void DeleteRegSubKeys(HKEY key);
