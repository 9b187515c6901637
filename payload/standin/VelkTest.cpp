// Stand-in for the product's program, carried when the vendor gives none.
// It proves an installation works: each start appends its command line and
// current folder to VelkTest.log beside itself, and its window lists the two
// configuration files found beside it. Esc or the close button ends it.
#include <windows.h>

namespace {

constexpr int kTextSize = 4096;

// The folder of this program, with its trailing backslash.
void OwnFolder(char (&folder)[MAX_PATH]) {
  const DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
  folder[length < MAX_PATH ? length : 0] = '\0';
  char* last = nullptr;
  for (char* p = folder; *p != '\0'; p = CharNextA(p))
    if (*p == '\\') last = p;
  if (last != nullptr) last[1] = '\0';
}

void AppendToLog(const char* folder) {
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  char line[kTextSize];
  const int length = wsprintfA(line, "command line: %s | current folder: %s\r\n", GetCommandLineA(), current);
  char name[MAX_PATH + 16];
  wsprintfA(name, "%sVelkTest.log", folder);
  HANDLE log = CreateFileA(name, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(log, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(log);
}

// Appends the file's name and content (or "(missing)") to `listing`.
void AppendFile(char* listing, const char* folder, const char* file) {
  char name[MAX_PATH + 16];
  wsprintfA(name, "%s%s", folder, file);
  lstrcatA(listing, file);
  lstrcatA(listing, "\r\n");
  HANDLE handle = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    lstrcatA(listing, "(missing)\r\n");
    return;
  }
  const int used = lstrlenA(listing);
  DWORD got = 0;
  // Leave room for the second file and the line ends.
  const int room = kTextSize / 2 - used;
  if (room > 1) ReadFile(handle, listing + used, static_cast<DWORD>(room - 1), &got, nullptr);
  listing[used + static_cast<int>(got)] = '\0';
  CloseHandle(handle);
  lstrcatA(listing, "\r\n");
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  char folder[MAX_PATH];
  OwnFolder(folder);
  AppendToLog(folder);
  static char listing[kTextSize] = {};
  AppendFile(listing, folder, "Answer.ini");
  AppendFile(listing, folder, "Install.ini");

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "VelkTestWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "VelkTestWindow", "VelkTest", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 360, 300, nullptr, nullptr, instance, nullptr);
  HWND text = CreateWindowExA(0, "STATIC", listing, WS_CHILD | WS_VISIBLE, 8, 8, 330, 250,
                              window, nullptr, instance, nullptr);
  SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  ShowWindow(window, show);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // The static text never takes the focus, so the window sees Esc itself.
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) message.hwnd = window;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
