// platform::Operations on Win32 (ANSI calls throughout, as the installer's
// texts are ANSI).
#pragma once
#include "platform/Operations.h"

namespace platform {

class Win32Operations final : public Operations {
 public:
  bool FolderExists(const char* path) override;
  bool CreateFolder(const char* path) override;
  bool WriteWholeFile(const char* name, const void* bytes, std::uint32_t size) override;
  void ShowMessage(const char* text, const char* caption) override;
  char* DesktopFolder() override;
  char* AbsolutePath(const char* path) override;
  bool CreateShortcut(const char* linkPath, const char* target) override;
  bool StartProgram(const char* program) override;
  bool OpenDocument(const char* document) override;
};

}  // namespace platform
