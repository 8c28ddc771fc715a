// The persisted state file: replaced atomically, so that a crash, a full disk
// or a failed write never loses the previous contents. Built on the state
// file's system calls of the platform (host/platform.h).
#pragma once

#include <cstddef>
#include <string>

#include "runtime/string.h"

// Results of kp_state_Save.
constexpr int kStateSaved = 0;
constexpr int kStateCannotCreate = -1;
constexpr int kStateShortWrite = -2;
constexpr int kStateNoFolder = -3;     // a folder the file's name holds could not be made

// Writes the UTF-8 encoding of `state` to "<path>.tmp.<pid>" in the same
// folder, flushes it to disk and renames it over `path`. On any failure `path`
// keeps its previous contents and the temporary file is removed. A path that
// is not valid UTF-8 is refused (kStateCannotCreate) rather than mapped to
// another name. Returns kStateSaved, kStateCannotCreate or kStateShortWrite.
int kp_state_Save(const char* path, const String& state);
// The same for bytes as they are (the game's binary files beside the save).
int kp_state_SaveBytes(const char* path, const unsigned char* data, size_t size);

// Removes "<path>.tmp.<pid>" files left behind by processes that no longer
// run (a save interrupted by a crash or a kill). Returns how many it removed.
int kp_state_RemoveStaleTemps(const char* path);
// The same for every file in a folder: "<any name>.tmp.<pid>".
int kp_state_RemoveStaleTempsIn(const char* folder);

// The name of this process's temporary file for `path`.
std::string kp_state_TempName(const char* path);

// The writing calls used while saving; replaceable so that tests can make a
// write or a sync fail (as root, file permissions never do).
struct KpStateFileIo {
    int (*write)(int handle, const void* data, size_t size);  // as kp_file_Write
    int (*sync)(int handle);                                   // as kp_file_Sync
};
KpStateFileIo kp_state_DefaultIo();
KpStateFileIo kp_state_SetIo(KpStateFileIo io);  // returns the previous calls
