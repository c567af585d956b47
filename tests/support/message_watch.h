// Watches a process (this one unless told) for message boxes from a second
// thread, records what each one showed, and presses its OK button; while it
// holds, it records them and leaves them open.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct SeenBox {
    std::string caption;
    std::string text;
    std::string unicode_caption, unicode_text; // both read as Unicode, in UTF-8
    HWND owner;
    bool owner_enabled; // the owner's state while the box was shown
    bool exclamation;   // it shows the system's exclamation icon
    long long seen_ms;  // when the watch saw it first (NowMs), within 50 ms
};

class MessageWatch
{
  public:
    explicit MessageWatch(DWORD process = GetCurrentProcessId(), bool hold = false);
    ~MessageWatch();
    // Stops watching and returns the boxes seen, in the order they appeared.
    std::vector<SeenBox> Stop();
    // How many boxes have been answered so far.
    size_t Answered() const
    {
        return answered_count_;
    }
    // The first box seen, once one is, or null after `timeout_ms`.
    HWND First(int timeout_ms) const;
    // Stops holding: every box seen is answered.
    void Release()
    {
        hold_ = false;
    }

  private:
    void Run();
    DWORD process_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> hold_;
    std::atomic<size_t> answered_count_{0};
    std::atomic<HWND> first_{nullptr};
    std::vector<SeenBox> seen_;
    std::vector<HWND> recorded_, answered_;
    std::thread thread_;
};

// A window's class name and text, read as another process would.
std::string ClassOf(HWND window);
std::string TextOf(HWND window);
// The text read as Unicode, in UTF-8.
std::string UnicodeTextOf(HWND window);

// A hidden top-level window to own the warnings under test.
HWND CreateOwnerWindow();
