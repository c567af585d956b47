// install.exe end to end: started from the CD-like drive E:, driven through
// its window from this process.
#include "base/ids.h"
#include "support/child_log.h"
#include "support/launcher_driver.h"
#include "support/message_watch.h"
#include "support/poll.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <array>

#include <string>
#include <vector>

namespace
{
// The icon drawn at 16 pixels over `background`.
std::vector<DWORD> SmallIcon(HICON icon, COLORREF background)
{
    return Pixels(16, 16, [&](HDC dc) {
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = {0, 0, 16, 16};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    });
}

// Whether the window's caption, as the screen shows it, has `icon` drawn at
// 16 pixels somewhere: every pixel that the icon covers (the same over white
// and black) is the icon's there.
bool CaptionShows(HWND window, HICON icon)
{
    RECT frame, client;
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, (POINT *)&client, 2);
    int width = frame.right - frame.left, height = client.top - frame.top;
    std::vector<DWORD> caption = Pixels(width, height, [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
    std::vector<DWORD> white = SmallIcon(icon, RGB(255, 255, 255)), black = SmallIcon(icon, 0);
    for (int y = 0; y + 16 <= height; y++)
        for (int x = 0; x + 16 <= width; x++) {
            int covered = 0, same = 0;
            for (int i = 0; i < 16 * 16; i++)
                if (white[i] == black[i]) {
                    covered++;
                    same += caption[(y + i / 16) * width + x + i % 16] == white[i];
                }
            if (covered > 0 && same == covered)
                return true;
        }
    return false;
}

class FrameTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        DeleteTree(company_key);
        DeleteFileA(planted_dll);
    }
    void TearDown() override
    {
        DeleteTree(company_key);
        DeleteFileA(planted_dll);
    }
    const char *planted_dll = "E:\\uxtheme.dll";
    void Install()
    {
        WriteText(record_key, "folder", "G:\\VEXMOOR");
    }
};

TEST_F(FrameTest, WindowShowsTheTemplate)
{
    Install();
    LauncherRun run;
    HWND window = run.VisibleWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ("Vexmoor", TextOf(window));
    // The system adds WS_CLIPSIBLINGS, DS_3DLOOK, WS_EX_WINDOWEDGE and
    // WS_EX_CONTROLPARENT to every dialog.
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU | DS_SETFONT | WS_VISIBLE,
              (DWORD)GetWindowLongA(window, GWL_STYLE) & ~(WS_CLIPSIBLINGS | DS_3DLOOK));
    EXPECT_EQ(0u, (DWORD)GetWindowLongA(window, GWL_EXSTYLE) &
                      ~(WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT));

    // The prefix must resolve the template's font as Windows does (Wine's
    // own fonts): with a host font instead, every control would be placed
    // and sized differently, and the checks below would measure the prefix.
    const char static_text[] = "Die Spiel-CD befindet sich im CD-ROM-Laufwerk.";
    DialogFont font = MeasureDialogFont(static_text);
    ASSERT_EQ("MS Sans Serif", font.face) << "the prefix lacks Wine's fonts";
    ASSERT_EQ(6, font.base.cx);
    ASSERT_EQ(13, font.base.cy);

    // Position and size are those of the client area, on the screen.
    RECT client, expected = DialogPixels(44, 58, 287, 89);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, (POINT *)&client, 2);
    EXPECT_EQ(expected.left, client.left);
    EXPECT_EQ(expected.top, client.top);
    EXPECT_EQ(expected.right, client.right);
    EXPECT_EQ(expected.bottom, client.bottom);

    const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    struct {
        const char *cls;
        int id;
        const char *text;
        int x, y, width, height;
        DWORD style;
    } expected_controls[] = {
        {"Button", ID_START, "Starten", 16, 60, 50, 14, button | BS_DEFPUSHBUTTON},
        {"Button", ID_CANCEL, "Cancel", 220, 60, 50, 14, button | BS_PUSHBUTTON},
        {"Static", ID_LINE, static_text, 12, 25, 160, 8,
         WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
        {"Button", ID_CONTINUE, "Fortsetzen", 84, 60, 50, 14, button | BS_PUSHBUTTON},
        {"Button", ID_INSTALL, "Installieren", 152, 60, 50, 14, button | BS_PUSHBUTTON},
    };
    std::vector<Control> controls = ReadControls(window);
    ASSERT_EQ(std::size(expected_controls), controls.size());
    for (size_t i = 0; i < controls.size(); i++) {
        auto &want = expected_controls[i];
        const Control &got = controls[i];
        SCOPED_TRACE(want.text);
        EXPECT_STRCASEEQ(want.cls, got.cls.c_str());
        EXPECT_EQ(want.id, got.id);
        EXPECT_EQ(want.text, got.text);
        EXPECT_EQ(want.style, got.style);
        RECT place = DialogPixels(want.x, want.y, want.width, want.height);
        EXPECT_EQ(place.left, got.rect.left);
        EXPECT_EQ(place.top, got.rect.top);
        EXPECT_EQ(place.right, got.rect.right);
        EXPECT_EQ(place.bottom, got.rect.bottom);
    }
    // The text is one line high: a text wider than its control wraps its
    // last word out of sight.
    EXPECT_GT(font.text_width, 0);
    EXPECT_LE(font.text_width, controls[2].rect.right - controls[2].rect.left);

    // The caption shows the edition's icon, 16 pixels from its file, and
    // not Windows' own.
    HICON edition = (HICON)LoadImageA(nullptr, (ProgramFolder() + "vexmoor.ico").c_str(),
                                      IMAGE_ICON, 16, 16, LR_LOADFROMFILE);
    ASSERT_TRUE(edition);
    EXPECT_TRUE(Poll(3000, [&] { return CaptionShows(window, edition); }));
    EXPECT_FALSE(CaptionShows(
        window, (HICON)LoadImageA(nullptr, IDI_APPLICATION, IMAGE_ICON, 16, 16, LR_SHARED)));
    DestroyIcon(edition);
    EXPECT_EQ(still_running, run.ExitCode(0));
}

// What Windows shows in the file's properties, read as it reads it: a block
// of texts for each language of the edition, the default's first.
// Texts longer than their places, in the English sample on this Western
// Windows: the window makes room for each as its font draws it here. The
// line first within the window, else on more lines; the buttons wider, in
// their order, on their row, with the template's gaps; the window within
// the screen's work area.
TEST_F(FrameTest, WindowGrowsToFitItsTexts)
{
    ASSERT_EQ(1252u, GetACP()) << "the rows' texts are measured in MS Sans Serif of code page 1252";
    RECT work, template_client = DialogPixels(0, 0, 287, 89);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int line_height = 13, gap = DialogPixels(0, 0, 18, 0).right;
    struct {
        const char *program;
        bool wider;     // the window wider than the template's
        int line_lines; // the line's height in lines
    } rows[] = {
        // "Continue the saved game" is 120 pixels; a button 75.
        {"long\\install.exe", true, 1},
        // Six times "Insert the Tidewater disc, then choose.", some 1,140
        // pixels, wider than the screen: on three lines in the window.
        {"widest\\install.exe", false, 3},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.program);
        WriteText("Software\\Marrowgate Studios\\Tidewater\\2.1", "folder", "G:\\VEXMOOR");
        LauncherRun run(row.program);
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);
        RECT client, frame;
        GetClientRect(window, &client);
        GetWindowRect(window, &frame);
        EXPECT_EQ(row.wider, client.right > template_client.right);
        EXPECT_GE(frame.left, work.left);
        EXPECT_LE(frame.right, work.right);
        EXPECT_LE(frame.bottom, work.bottom);
        std::vector<Control> controls = ReadControls(window);
        ASSERT_EQ(5u, controls.size());
        // Left to right: "Play", "Continue...", "Install", "Quit".
        const Control *buttons[] = {&controls[0], &controls[3], &controls[4], &controls[1]};
        for (int i = 0; i < 4; i++) {
            const Control &button = *buttons[i];
            SCOPED_TRACE(button.text);
            EXPECT_LE(TextWidth(button.text, {nullptr, 0}) + 6,
                      button.rect.right - button.rect.left);
            EXPECT_EQ(buttons[0]->rect.top, button.rect.top);
            if (i > 0) {
                EXPECT_EQ(gap, button.rect.left - buttons[i - 1]->rect.right);
            }
        }
        EXPECT_LE(buttons[3]->rect.right, client.right);
        const Control &line = controls[2];
        EXPECT_EQ(row.line_lines * line_height, line.rect.bottom - line.rect.top);
        EXPECT_GT(buttons[0]->rect.top, line.rect.bottom);
        if (row.line_lines == 1) {
            EXPECT_LE(TextWidth(line.text, {nullptr, 0}), line.rect.right - line.rect.left);
            // Cut, the line would show less ink than the whole text has.
            int ink = InkWidth(line.text, {nullptr, 0});
            EXPECT_TRUE(Poll(3000, [&] { return InkWidth(GetDlgItem(window, ID_LINE)) == ink; }));
        }
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(0u, run.ExitCode());
        DeleteTree("Software\\Marrowgate Studios");
    }
}

TEST_F(FrameTest, VersionResourceNamesTheProductInEachLanguage)
{
    struct {
        const char *program;
        // The version's first two numbers; Explorer shows 1.0 as "1.0.0.0".
        DWORD version;
        std::string translations;                        // language and code page, each a WORD
        std::vector<std::array<const char *, 3>> values; // block, name, value
    } rows[] = {
        // German (0x0407), code page 1252.
        {"install.exe",
         MAKELONG(0, 1),
         std::string("\x07\x04\xE4\x04", 4),
         {{"040704E4", "CompanyName", "Halvaro"},
          {"040704E4", "ProductName", "Vexmoor"},
          {"040704E4", "FileVersion", "1.0"},
          {"040704E4", "ProductVersion", "1.0"},
          {"040704E4", "OriginalFilename", "install.exe"},
          {"040704E4", "InternalName", "install.exe"},
          {"040704E4", "FileDescription", "Vexmoor installieren und starten"}}},
        // English, German, French, Spanish (modern sort) in 1252, Polish in
        // 1250; another language's block has its description alone.
        {"europe\\install.exe",
         MAKELONG(1, 2),
         std::string(
             "\x09\x04\xE4\x04\x07\x04\xE4\x04\x0C\x04\xE4\x04\x0A\x0C\xE4\x04\x15\x04\xE2\x04",
             20),
         {{"040904E4", "CompanyName", "Marrowgate Studios"},
          {"040904E4", "ProductName", "Tidewater"},
          {"040904E4", "FileVersion", "2.1"},
          {"040904E4", "FileDescription", "Installs and starts Tidewater"},
          {"040704E4", "FileDescription", "Installiert und startet Tidewater"},
          {"040C04E4", "FileDescription", "Installe et lance Tidewater"},
          {"0C0A04E4", "FileDescription", "Instala e inicia Tidewater"},
          {"041504E2", "FileDescription", "Instaluje i uruchamia Tidewater"},
          {"041504E2", "CompanyName", "<missing>"}}},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.program);
        std::string path = ProgramFolder() + row.program;
        DWORD handle = 0, size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        ASSERT_GT(size, 0u) << "no version resource";
        std::vector<char> info(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
        auto query = [&](const std::string &name) -> std::string {
            char *value = nullptr;
            UINT length = 0;
            if (!VerQueryValueA(info.data(), name.c_str(), (void **)&value, &length) || !value)
                return "<missing>";
            return name[1] == 'V' ? std::string(value, length) : std::string(value);
        };
        VS_FIXEDFILEINFO *fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void **)&fixed, &length));
        EXPECT_EQ(row.version, fixed->dwFileVersionMS);
        EXPECT_EQ(row.version, fixed->dwProductVersionMS);
        EXPECT_EQ(row.translations, query("\\VarFileInfo\\Translation"));
        for (auto &value : row.values)
            EXPECT_EQ(value[2],
                      query(std::string("\\StringFileInfo\\") + value[0] + "\\" + value[1]))
                << value[0] << " " << value[1];
    }
}

// Each edition's first icon, as Windows reads it from install.exe: the
// images Windows 95 to 11 draw, and its 16-colour 16-pixel image drawn by
// Windows as its bytes say: in its palette's colours where its mask is 0,
// the background where it is 1. The pictured edition's icon was made from a
// PNG.
TEST_F(FrameTest, IconsHoldTheImagesWindowsDrawsAndAreDrawnAsMade)
{
    const std::vector<std::pair<int, int>> images = {{16, 4}, {16, 8}, {32, 4}, {32, 8}, {48, 32}};
    for (const char *program : {"install.exe", "english\\install.exe", "polish\\install.exe",
                                "europe\\install.exe", "pictured\\install.exe"}) {
        SCOPED_TRACE(program);
        HMODULE module =
            LoadLibraryExA((ProgramFolder() + program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module);
        auto resource = [&](LPCSTR type, WORD id) -> std::string {
            HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
            if (!found)
                return "";
            return std::string((const char *)LockResource(LoadResource(module, found)),
                               SizeofResource(module, found));
        };
        // The group: a header of 6 bytes, then 14 for each image.
        std::string group = resource(RT_GROUP_ICON, 1);
        ASSERT_GE(group.size(), 6u);
        int count = *(const WORD *)&group[4];
        ASSERT_EQ(group.size(), 6u + 14 * count);
        std::vector<std::pair<int, int>> found;
        std::string small;
        for (int i = 0; i < count; i++) {
            const char *entry = &group[6 + 14 * i];
            int size = (BYTE)entry[0], bits = *(const WORD *)(entry + 6);
            found.push_back({size, bits});
            if (size == 16 && bits == 4)
                small = resource(RT_ICON, *(const WORD *)(entry + 12));
        }
        EXPECT_EQ(images, found);
        // Header, 16 colours, 16 rows of 8 bytes, 16 rows of a 4-byte mask.
        ASSERT_EQ(40u + 64 + 128 + 64, small.size());
        HICON icon = CreateIconFromResourceEx((BYTE *)&small[0], (DWORD)small.size(), TRUE,
                                              0x00030000, 16, 16, LR_DEFAULTCOLOR);
        ASSERT_TRUE(icon);
        for (COLORREF background : {RGB(255, 255, 255), RGB(0, 0, 0)}) {
            std::vector<DWORD> drawn = Pixels(16, 16, [&](HDC dc) {
                HBRUSH brush = CreateSolidBrush(background);
                RECT all = {0, 0, 16, 16};
                FillRect(dc, &all, brush);
                DeleteObject(brush);
                DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
            });
            for (int y = 0; y < 16; y++)
                for (int x = 0; x < 16; x++) {
                    // Bottom row first in the bitmap.
                    const BYTE *row = (const BYTE *)&small[40 + 64 + 8 * (15 - y)];
                    const BYTE *mask = (const BYTE *)&small[40 + 64 + 128 + 4 * (15 - y)];
                    int index = x % 2 ? row[x / 2] & 0xF : row[x / 2] >> 4;
                    const BYTE *colour = (const BYTE *)&small[40 + 4 * index];
                    DWORD made = mask[x / 8] & (0x80 >> x % 8)
                                     ? (GetRValue(background) << 16 | GetGValue(background) << 8 |
                                        GetBValue(background))
                                     : (DWORD)(colour[2] << 16 | colour[1] << 8 | colour[0]);
                    EXPECT_EQ(made, drawn[y * 16 + x]) << "at " << x << ", " << y;
                }
        }
        DestroyIcon(icon);
        FreeLibrary(module);
    }
}

TEST_F(FrameTest, WindowIsShownWithTheShowCommandItWasGiven)
{
    Install();
    struct {
        int show;
        bool iconic, zoomed;
        bool again = false;   // then started again: brings the window back, in front
        bool planted = false; // with a uxtheme.dll planted beside it
    } cases[] = {
        {SW_SHOWNORMAL, false, false},
        {SW_SHOWMINNOACTIVE, true, false},
        {SW_SHOWMAXIMIZED, false, true},
        {SW_SHOWMINNOACTIVE, false, false, true}, // restored, then in front
        {SW_SHOWNOACTIVATE, false, false, true},  // brought in front
        // The session prefers a uxtheme.dll beside the program to its own,
        // as Windows does for a DLL that is not a known system DLL: the
        // launcher loads DLLs from the system folder alone. Last: the DLL
        // stays until the test ends.
        {SW_SHOWNORMAL, false, false, false, true},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.show);
        char mark[MAX_PATH];
        lstrcpyA(mark + GetTempPathA(MAX_PATH, mark), "planted.mark");
        DeleteFileA(mark);
        if (c.planted) {
            ASSERT_TRUE(CopyFileA((ProgramFolder() + "planted.dll").c_str(), planted_dll, FALSE));
        }
        LauncherRun run("install.exe", "E:\\SETUP", c.show);
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(mark))
            << "the planted DLL was loaded";
        if (c.again)
            ExpectSecondStartBringsForward(window);
        EXPECT_EQ(c.iconic, (bool)IsIconic(window));
        EXPECT_EQ(c.zoomed, (bool)IsZoomed(window));
        if (c.again) {
            // Still the one launcher, and it still takes a command.
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            EXPECT_EQ(0u, run.ExitCode());
        }
    }
}

TEST_F(FrameTest, CancelAndClosingEndWithZero)
{
    Install();
    struct {
        const char *how;
        UINT message;
        WPARAM wParam;
        int button; // BM_CLICK goes to this button
    } cases[] = {
        {"Cancel clicked", BM_CLICK, 0, IDCANCEL},
        {"Cancel command", WM_COMMAND, 2, 0},
        {"close box", WM_SYSCOMMAND, SC_CLOSE, 0},
        {"close request", WM_CLOSE, 0, 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.how);
        LauncherRun run;
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);
        MessageWatch warnings(run.Pid());
        PostMessageA(c.button ? GetDlgItem(window, c.button) : window, c.message, c.wParam, 0);
        EXPECT_EQ(0u, run.ExitCode());
        EXPECT_TRUE(warnings.Stop().empty());
    }
}

TEST_F(FrameTest, NotificationCodesAndDialogKeysDoNothing)
{
    Install();
    LauncherRun run;
    HWND window = run.VisibleWindow();
    ASSERT_TRUE(window);
    MessageWatch warnings(run.Pid());
    // Cancel's id in the low word, a notification code in the high word.
    for (WORD code : {1, BN_DBLCLK, 0xFFFF})
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, code), 0);
    // The dialog manager would press Cancel for Esc and the default button
    // for Enter.
    for (UINT key : {VK_ESCAPE, VK_RETURN})
        run.PressKey(window, key);
    run.Settle(window);

    EXPECT_EQ(still_running, run.ExitCode(0));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(warnings.Stop().empty());
    // It still takes the plain command.
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0u, run.ExitCode());
}

} // namespace
