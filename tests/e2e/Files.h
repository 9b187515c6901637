// Files and folders as the tests see them, all paths in the ANSI code page
// (std::filesystem would read narrow strings as UTF-8).
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e::files {

// The whole content, or nothing if the file cannot be opened. Opened with
// every sharing mode, so that reading never stands in a writer's way.
std::optional<std::string> ReadWholeFile(const std::string& name);
// Creates or replaces the file with `content`.
bool WriteWholeFile(const std::string& name, std::string_view content);
bool IsFolder(const std::string& path);
// The folder part of a path, without the trailing backslash; empty for a bare
// name. Walks by characters, so a GBK trail byte is never taken for a '\'.
std::string FolderOf(const std::string& path);
bool IsFile(const std::string& path);
// The names in `folder` (not "." and ".."), sorted.
std::vector<std::string> Entries(const std::string& folder);
// Deletes `path` (a file, or a folder with all it holds; read-only attributes
// are cleared first). True if nothing of that name is left.
bool RemoveAll(const std::string& path);

}  // namespace e2e::files
