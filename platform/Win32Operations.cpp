#include "platform/Win32Operations.h"

#include <windows.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "app/Texts.h"
#include "platform/Handles.h"

namespace platform {
namespace {

// The position of the last backslash, or null. Walks by characters, so that
// the second byte of a double-byte character (which may be 0x5C) is never
// taken for a separator.
const char* LastBackslash(const char* path) {
  const char* last = nullptr;
  for (const char* p = path; *p != '\0'; p = CharNextA(p))
    if (*p == '\\' || *p == '/') last = p;
  return last;
}

// The folder that holds `name`, as a new text ("." for a bare name).
char* FolderOf(const char* name) {
  const char* slash = LastBackslash(name);
  if (slash == nullptr) return app::JoinText({"."});
  const std::size_t length = static_cast<std::size_t>(slash - name) + 1;  // keep "D:\" whole
  char* folder = app::AllocText(length + 1);
  std::memcpy(folder, name, length);
  folder[length] = '\0';
  return folder;
}

// What the original create-and-truncate would meet: a file held open
// without sharing, or one that may not be written (read-only, no rights).
bool ExistingFileRefusesWrite(const char* name) {
  // Read-only is asked for explicitly: where the file system lets a
  // privileged user open such a file for writing, it must still be refused.
  const DWORD attributes = GetFileAttributesA(name);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return true;
  FileHandle probe(CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (probe.valid()) return false;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND;
}

bool WriteAll(HANDLE file, const void* bytes, std::uint32_t size) {
  const char* next = static_cast<const char*>(bytes);
  std::uint32_t left = size;
  while (left > 0) {
    DWORD written = 0;
    if (!WriteFile(file, next, left, &written, nullptr) || written == 0) return false;
    next += written;
    left -= written;
  }
  return true;
}

bool HasExtension(const char* path) {
  const char* slash = LastBackslash(path);
  return std::strchr(slash == nullptr ? path : slash + 1, '.') != nullptr;
}

}  // namespace

bool Win32Operations::FolderExists(const char* path) {
  // Only a folder counts: a file of that name or a wildcard pattern does
  // not, and a trailing backslash or a drive root is still the folder.
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Operations::CreateFolder(const char* path) {
  return CreateDirectoryA(path, nullptr) != FALSE;
}

bool Win32Operations::WriteWholeFile(const char* name, const void* bytes, std::uint32_t size) {
  if (name == nullptr || name[0] == '\0') return false;
  // A file that is not there yet is written in place; if that fails, the
  // part written is deleted again. The file system is left to put the bytes
  // on disk, as for any copy on Windows (flushing each file made an install
  // ten times slower than copying the same files).
  {
    FileHandle fresh(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (fresh.valid()) {
      const bool complete = WriteAll(fresh.get(), bytes, size);
      if (fresh.Close() && complete) return true;
      DeleteFileA(name);
      return false;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED)
      return false;
  }
  if (ExistingFileRefusesWrite(name)) return false;
  // A file that is there is replaced: the new content is written beside it
  // and moved into place only once complete, so that the file is always old
  // or whole, never part.
  char* folder = FolderOf(name);
  char temporary[MAX_PATH];
  const bool named = GetTempFileNameA(folder, "qv~", 0, temporary) != 0;
  app::FreeText(folder);
  if (!named) return false;
  bool complete = false;
  {
    FileHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    complete = file.valid() && WriteAll(file.get(), bytes, size);
    complete = file.Close() && complete;
  }
  if (complete)
    complete = MoveFileExA(temporary, name, MOVEFILE_REPLACE_EXISTING) != FALSE;
  if (!complete) DeleteFileA(temporary);
  return complete;
}

void Win32Operations::ShowMessage(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK | MB_TASKMODAL);
}

char* Win32Operations::DesktopFolder() {
  char folder[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_DESKTOPDIRECTORY, FALSE) || folder[0] == '\0')
    return nullptr;
  return app::JoinText({folder});
}

char* Win32Operations::AbsolutePath(const char* path) {
  const char* typed = path == nullptr ? "" : path;
  const DWORD needed = GetFullPathNameA(typed, 0, nullptr, nullptr);
  if (needed == 0) return nullptr;
  char* absolute = app::AllocText(needed);
  const DWORD length = GetFullPathNameA(typed, needed, absolute, nullptr);
  if (length == 0 || length >= needed) {
    app::FreeText(absolute);
    return nullptr;
  }
  return absolute;
}

bool Win32Operations::CreateShortcut(const char* linkPath, const char* target) {
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.out())))
    return false;
  link->SetPath(target);
  link->SetShowCmd(SW_SHOW);
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.out()))) return false;
  char* name = HasExtension(linkPath) ? app::JoinText({linkPath}) : app::JoinText({linkPath, ".lnk"});
  wchar_t wide[MAX_PATH * 2] = {};
  const int converted = MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH * 2);
  app::FreeText(name);
  return converted > 0 && SUCCEEDED(file->Save(wide, TRUE));
}

bool Win32Operations::StartProgram(const char* program) {
  // The program's full path is the application name and, quoted, the
  // command line: with spaces in the folder no other file can be run instead.
  char* commandLine = app::JoinText({"\"", program, "\""});
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  // The program gets the system's default error mode, not the installer's
  // own (which suppresses the system's error boxes for the installer only).
  const bool started = CreateProcessA(program, commandLine, nullptr, nullptr, FALSE,
                                      CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup,
                                      &process) != FALSE;
  app::FreeText(commandLine);
  if (!started) return false;
  WaitForInputIdle(process.hProcess, 1000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool Win32Operations::OpenDocument(const char* document) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", document, nullptr, "", SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace platform
