#include "app/Handlers.h"

#include "app/Texts.h"
#include "payload/Payload.h"

namespace app {
namespace {

using window::Control;

// The folder is never kept: every use reads `路径` afresh, as typed.
char* FolderPlus(HandlerContext& context, const char* suffix) {
  char* folder = context.window.ReadContent(Control::路径);
  char* joined = JoinText({folder, suffix});
  FreeText(folder);
  return joined;
}

// The installed file's absolute path: a shortcut on the desktop or a started
// program must not depend on the installer's current folder.
char* InstalledFile(HandlerContext& context, const char* suffix) {
  char* typed = FolderPlus(context, suffix);
  char* absolute = context.system.AbsolutePath(typed);
  FreeText(typed);
  return absolute;
}

bool Chosen(HandlerContext& context, Control checkBox) {
  return context.window.ReadChecked(checkBox) == 1;
}

}  // namespace

void OnWindowCreated(HandlerContext&) {}

void OnExitLinkReleased(HandlerContext& context, int, int, int) { context.window.ScheduleClose(); }

void OnInstallClicked(HandlerContext& context) {
  char* folder = context.window.ReadContent(Control::路径);
  const bool exists = context.system.FolderExists(folder == nullptr ? "" : folder);
  FreeText(folder);
  if (!exists) {
    folder = context.window.ReadContent(Control::路径);
    const bool created = context.system.CreateFolder(folder == nullptr ? "" : folder);
    FreeText(folder);
    if (!created) {
      context.system.ShowMessage(kPathUnusableMessage, kInfoCaption);
      return;
    }
  }
  WritePayload(context);
}

void WritePayload(HandlerContext& context) {
  for (const payload::PayloadFile& file : payload::PayloadFiles()) {
    char* name = FolderPlus(context, file.nameSuffix);
    const bool written = context.system.WriteWholeFile(name, file.bytes, file.size());
    if (!written) {
      // Stop at the first file that cannot be written: the user must hear of
      // it, and the install panel stays so that Install can be pressed again.
      char* message = JoinText({kWriteFailedPrefix, name, kWriteFailedAdvice});
      context.system.ShowMessage(message, kInfoCaption);
      FreeText(message);
      FreeText(name);
      return;
    }
    FreeText(name);
  }
  context.window.SetVisible(Control::外形框1, false);
}

void OnFinishClicked(HandlerContext& context) {
  if (Chosen(context, Control::创建快捷方式)) {
    // Without a desktop folder there is nowhere sensible to put the link.
    if (char* desktop = context.system.DesktopFolder()) {
      char* link = JoinText({desktop, kShortcutName});
      FreeText(desktop);
      if (char* target = InstalledFile(context, kProgramSuffix)) {
        context.system.CreateShortcut(link, target);
        FreeText(target);
      }
      FreeText(link);
    }
  }
  if (Chosen(context, Control::运行)) {
    if (char* program = InstalledFile(context, kProgramSuffix)) {
      context.system.StartProgram(program);
      FreeText(program);
    }
  }
  if (Chosen(context, Control::查看视频教程)) {
    char* tutorial = FolderPlus(context, kTutorialSuffix);
    context.system.OpenDocument(tutorial);
    FreeText(tutorial);
  }
  context.window.ScheduleClose();
}

}  // namespace app
