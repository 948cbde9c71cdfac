#pragma once
// Whole-file reads with a size cap and all-or-nothing writes, for the small
// files the settings and registry stores keep.

#include <cstddef>
#include <string>

namespace tarnwell::posix {

struct ReadResult {
  int error = 0;  // errno; ENOENT when the file is missing, EFBIG over the cap
  std::string text;
};
ReadResult ReadWholeFile(const std::string& path, size_t max_bytes);

// Writes a temporary file beside path and renames it over path, so readers
// see the old or the new content, never a mix. Creates missing parent
// folders. Returns 0 or an errno value; on failure path is untouched. A
// file that already holds content is not written again.
int WriteFileAtomically(const std::string& path, const std::string& content);

// A name for a temporary file in path's folder, as mkstemp wants it. Short,
// so a target name near the file system's limit still leaves room.
std::string TemporaryNameBeside(const std::string& path);

// The target of a symbolic link, however long; "" when it cannot be read.
std::string ReadLink(const std::string& path);

// Creates a folder and its parents; 0 or an errno value.
int MakeFolders(const std::string& path);

}  // namespace tarnwell::posix
