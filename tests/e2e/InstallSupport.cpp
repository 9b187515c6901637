#include "tests/e2e/InstallSupport.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "payload/Payload.h"
#include "tests/e2e/Controls.h"
#include "tests/e2e/Input.h"
#include "tests/e2e/Files.h"
#include "tests/e2e/InstallerProcess.h"

namespace e2e::install {

namespace {

struct BoxParts {
  std::vector<HWND> statics, buttons;
};

BOOL CALLBACK CollectParts(HWND child, LPARAM parameter) {
  auto& parts = *reinterpret_cast<BoxParts*>(parameter);
  const std::string kind = controls::ClassName(child);
  if (lstrcmpiA(kind.c_str(), "Static") == 0) parts.statics.push_back(child);
  if (lstrcmpiA(kind.c_str(), "Button") == 0) parts.buttons.push_back(child);
  return TRUE;
}

}  // namespace

std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
  HWND window = nullptr;
  if (!WaitUntil([&] { return (window = FindMessageBox(processId)) != nullptr; }, timeoutMs)) {
    return std::nullopt;
  }
  // The box is shown once it is complete; let it paint before reading.
  Pause(100);
  MessageBoxSeen box;
  box.window = window;
  box.caption = controls::Text(window);
  box.owner = GetWindow(window, GW_OWNER);
  BoxParts parts;
  EnumChildWindows(window, CollectParts, reinterpret_cast<LPARAM>(&parts));
  // The message is the static control with text (an icon's static has none).
  for (HWND item : parts.statics) {
    const std::string text = controls::Text(item);
    if (!text.empty()) box.text += text;
  }
  for (HWND button : parts.buttons) {
    if (!IsWindowVisible(button)) continue;
    box.buttonTexts.push_back(controls::Text(button));
    if (GetDlgCtrlID(button) == IDOK) box.okButton = button;
  }
  return box;
}

bool ClickOk(const MessageBoxSeen& box) {
  if (box.okButton == nullptr) return false;
  const POINT centre = controls::CentreOnScreen(box.okButton);
  input::ClickAt(centre.x, centre.y);
  return WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, 3000);
}



void AddTree(const std::string& folder, Tree& tree) {
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
  for (const std::string& name : files::Entries(folder)) {
    const std::string path = prefix + name;
    if (files::IsFolder(path)) {
      tree[path] = "<folder>";
      AddTree(path, tree);
    } else {
      tree[path] = files::ReadWholeFile(path).value_or("<unreadable>");
    }
  }
}

TreeChange Compare(const Tree& before, const Tree& after) {
  TreeChange change;
  for (const auto& [path, content] : after) {
    const auto old = before.find(path);
    if (old == before.end()) {
      change.added.push_back(path);
    } else if (old->second != content) {
      change.changed.push_back(path);
    }
  }
  for (const auto& [path, content] : before) {
    if (after.count(path) == 0) change.removed.push_back(path);
  }
  return change;
}

std::string Describe(const TreeChange& change) {
  std::string text;
  const auto list = [&](const char* what, const std::vector<std::string>& paths) {
    text += what;
    text += ":";
    for (const std::string& path : paths) text += " " + path;
    text += paths.empty() ? " (none); " : "; ";
  };
  list("added", change.added);
  list("removed", change.removed);
  list("changed", change.changed);
  return text;
}

std::optional<std::string> PayloadMismatch(const std::string& folder) {
  for (const payload::PayloadFile& file : payload::PayloadFiles()) {
    const std::string name = folder + file.nameSuffix;
    const std::optional<std::string> content = files::ReadWholeFile(name);
    if (!content) return name + " is missing";
    if (content->size() != file.size() || std::memcmp(content->data(), file.bytes, file.size()) != 0)
      return name + " has " + std::to_string(content->size()) + " bytes, not the " +
             std::to_string(file.size()) + " of the payload (or other bytes)";
  }
  return std::nullopt;
}

}  // namespace e2e::install
