// The file, shell and process operations that the handlers use. The Win32
// build provides them in Win32Operations.cpp; the host tests provide fakes.
// Texts are ANSI (code page of the system), as everywhere in the installer.
#pragma once
#include <cstdint>

namespace platform {

class Operations {
 public:
  // True only when the path names an existing folder, however it is written
  // (with or without a trailing backslash, a drive root).
  virtual bool FolderExists(const char* path) = 0;
  // Creates one folder level; never missing parents.
  virtual bool CreateFolder(const char* path) = 0;
  // Replaces the file with the whole block, or leaves it as it was: the new
  // content goes beside it first and takes its place only once complete.
  virtual bool WriteWholeFile(const char* name, const void* bytes, std::uint32_t size) = 0;
  // A task-modal notice with one OK button and no owner window.
  virtual void ShowMessage(const char* text, const char* caption) = 0;

  // The user's desktop folder as a new text, or the missing text.
  virtual char* DesktopFolder() = 0;
  // The absolute form of a path (relative ones count from the current
  // folder) as a new text, or the missing text when it has none.
  virtual char* AbsolutePath(const char* path) = 0;
  // Saves a shell link at `linkPath` (".lnk" added when it has no extension).
  virtual bool CreateShortcut(const char* linkPath, const char* target) = 0;
  // Starts `program` in a normal window with its quoted path as the command
  // line, waits up to a second for it to be ready for input, keeps no handle.
  virtual bool StartProgram(const char* program) = 0;
  // Opens a document with the "open" verb of its type.
  virtual bool OpenDocument(const char* document) = 0;

 protected:
  ~Operations() = default;
};

}  // namespace platform
