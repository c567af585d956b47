#include "support/message_watch.h"
#include "support/child_log.h"
#include "support/poll.h"

#include <algorithm>
#include <iterator>

namespace
{
const int poll_ms = 50;

bool Is_Class(HWND window, const char *name)
{
    return lstrcmpiA(ClassOf(window).c_str(), name) == 0;
}

BOOL CALLBACK Find_Exclamation(HWND child, LPARAM found)
{
    if (!Is_Class(child, "Static"))
        return TRUE;
    HICON shown = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
    if (shown && shown == LoadIconA(nullptr, IDI_EXCLAMATION))
        *(bool *)found = true;
    return TRUE;
}
} // namespace

MessageWatch::MessageWatch(DWORD process, bool hold)
    : process_(process), hold_(hold), thread_(&MessageWatch::Run, this)
{
}

MessageWatch::~MessageWatch()
{
    Stop();
}

std::vector<SeenBox> MessageWatch::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    return seen_;
}

void MessageWatch::Run()
{
    while (!stop_) {
        for (HWND box = nullptr; (box = FindWindowExA(nullptr, box, "#32770", nullptr));) {
            DWORD process = 0;
            GetWindowThreadProcessId(box, &process);
            if (process != process_ || !IsWindowVisible(box))
                continue;
            if (std::find(recorded_.begin(), recorded_.end(), box) == recorded_.end()) {
                HWND text = GetDlgItem(box, 0xFFFF);
                SeenBox seen{TextOf(box), TextOf(text), "",     "", GetWindow(box, GW_OWNER),
                             false,       false,        NowMs()};
                seen.unicode_caption = UnicodeTextOf(box);
                seen.unicode_text = UnicodeTextOf(text);
                seen.owner_enabled = seen.owner && IsWindowEnabled(seen.owner);
                EnumChildWindows(box, Find_Exclamation, (LPARAM)&seen.exclamation);
                seen_.push_back(seen);
                recorded_.push_back(box);
                if (!first_)
                    first_ = box;
            }
            if (hold_ || std::find(answered_.begin(), answered_.end(), box) != answered_.end())
                continue;
            answered_.push_back(box);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         (LPARAM)GetDlgItem(box, IDOK));
            answered_count_++;
        }
        Sleep(poll_ms);
    }
}

HWND MessageWatch::First(int timeout_ms) const
{
    Poll(timeout_ms, [&] { return first_ != nullptr; });
    return first_;
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string TextOf(HWND window)
{
    char text[2048] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string UnicodeTextOf(HWND window)
{
    wchar_t text[2048] = L"";
    GetWindowTextW(window, text, (int)std::size(text));
    char utf8[4 * std::size(text)] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), nullptr, nullptr);
    return utf8;
}

HWND CreateOwnerWindow()
{
    return CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}
