#include "tests/e2e/Files.h"

#include <algorithm>

namespace e2e::files {

std::optional<std::string> ReadWholeFile(const std::string& name) {
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string content;
  std::vector<char> buffer(1 << 16);
  DWORD got = 0;
  while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0) {
    content.append(buffer.data(), got);
  }
  CloseHandle(file);
  return content;
}

bool WriteWholeFile(const std::string& name, std::string_view content) {
  HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                            nullptr) && written == content.size();
  return CloseHandle(file) && ok;
}

std::string FolderOf(const std::string& path) {
  const char* start = path.c_str();
  const char* last = nullptr;
  for (const char* p = start; *p != '\0'; p = CharNextA(p))
    if (*p == '\\') last = p;
  return last == nullptr ? std::string() : path.substr(0, static_cast<std::size_t>(last - start));
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  std::string pattern = folder;
  if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

bool RemoveAll(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    for (const std::string& name : Entries(path)) RemoveAll(path + "\\" + name);
    RemoveDirectoryA(path.c_str());
  } else {
    DeleteFileA(path.c_str());
  }
  return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace e2e::files
