// The handlers bound to the installer window's events. They see the window
// only through WindowServices and the system only through platform::Operations.
#pragma once
#include "app/WindowServices.h"
#include "platform/Operations.h"

namespace app {

struct HandlerContext {
  WindowServices& window;
  platform::Operations& system;
};

void OnWindowCreated(HandlerContext& context);
// Pointer position in the link's client area and the Ctrl/Shift/Alt state;
// the handler does not need them.
void OnExitLinkReleased(HandlerContext& context, int x, int y, int keyState);
void OnInstallClicked(HandlerContext& context);
// Writes the payload into the folder in `路径`; on success turns the window to
// the completion panel, otherwise names the file that could not be written.
void WritePayload(HandlerContext& context);
void OnFinishClicked(HandlerContext& context);

// The handlers' fixed texts.
inline constexpr char kInfoCaption[] = "信息：";
inline constexpr char kPathUnusableMessage[] = "路径不可用，请尝试安装到其他目录";
inline constexpr char kWriteFailedPrefix[] = "无法写入文件：";
inline constexpr char kWriteFailedAdvice[] = "\r\n请关闭正在使用该文件的程序，或尝试安装到其他目录";
inline constexpr char kShortcutName[] = "\\Quorvane";
inline constexpr char kProgramSuffix[] = "\\VelkTest.exe";
inline constexpr char kTutorialSuffix[] = "\\Help.avi";

}  // namespace app
