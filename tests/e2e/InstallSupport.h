// Support for the install tests: the message boxes the installer shows, and
// snapshots of the files and folders it could touch.
#pragma once
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/Wait.h"

namespace e2e::install {

// A message box ("#32770" top-level window) of a process, as read off it.
struct MessageBoxSeen {
  HWND window = nullptr;
  std::string caption;                   // GBK
  std::string text;                      // GBK, the box's static text
  std::vector<std::string> buttonTexts;  // GBK, every button
  HWND okButton = nullptr;               // the button with ID IDOK
  HWND owner = nullptr;
};

// Waits up to `timeoutMs` for a message box of `processId` and reads it.
std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, DWORD timeoutMs);
// Clicks the box's OK button with the mouse; true once the box is gone.
bool ClickOk(const MessageBoxSeen& box);

// Everything below some folders: full path -> content ("<folder>" for a
// folder). Comparing two shows what a step added, removed or changed.
using Tree = std::map<std::string, std::string>;
void AddTree(const std::string& folder, Tree& tree);
struct TreeChange {
  std::vector<std::string> added, removed, changed;  // full paths
};
TreeChange Compare(const Tree& before, const Tree& after);
// "added: ...; removed: ...; changed: ..." for a test message.
std::string Describe(const TreeChange& change);

// What is wrong with the payload in `folder`: the first of the four payload
// files that is missing or does not hold exactly the payload's bytes,
// described; nothing when all four are whole.
std::optional<std::string> PayloadMismatch(const std::string& folder);

}  // namespace e2e::install
