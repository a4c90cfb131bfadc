// The Win32 window's own windows on the UI thread of the test: the picture
// control playing a GIF, the backup reminder pop-up, the update question
// asked from a worker as a message box that quitting answers with Cancel, and
// the folder the Send Files dialog opens in.
#include <windows.h>
// (after windows.h)
#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <optional>
#include <thread>

#include "app/window_presenter.h"
#include "app/window_texts.h"
#include "platform/autostart.h"
#include "platform/folders.h"
#include "platform/profile.h"
#include "platform/utf8.h"
#include "platform/win32_text.h"
#include "tests/locale/built_libraries.h"
#include "tests/support/sandbox.h"
#include "ui/win32/graphics.h"
#include "ui/win32/main_window.h"
#include "ui/win32/picture_control.h"
#include "ui/win32/reminder_popup.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/win32_view.h"

namespace harbrook::win32 {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kRed = 0xFF0000, kLime = 0x00FF00, kBlue = 0x0000FF;
constexpr COLORREF kBackground = RGB(0xF0, 0xF0, 0xF0);
constexpr std::uint32_t kBack = 0xF0F0F0;

// A GIF on a 3-by-1 screen whose images are single pixels of the colour
// table black, red, lime, blue.
constexpr std::uint8_t kHeader[] = {'G', 'I', 'F', '8', '9', 'a', 3, 0,   1, 0, 0x81, 0,  0,
                                    0,   0,   0,   255, 0,   0,   0, 255, 0, 0, 0,    255};
struct PixelGif {
    Bytes bytes = Bytes(std::begin(kHeader), std::end(kHeader));

    PixelGif& Frame(int x, int colour, int delay, int disposal) {
        // Clear code, the colour, end code: three 3-bit codes.
        const int codes = 4 | colour << 3 | 5 << 6;
        Add({0x21, 0xF9, 4, disposal << 2, delay, 0, 0, 0});  // graphic control
        Add({0x2C, x, 0, 0, 0, 1, 0, 1, 0, 0});               // a 1-by-1 image at x
        Add({2, 2, codes & 0xFF, codes >> 8, 0});             // its data
        return *this;
    }
    void Add(std::initializer_list<int> more) {
        for (int b : more) bytes.push_back(std::uint8_t(b));
    }
    Bytes Done() {
        bytes.push_back(0x3B);
        return bytes;
    }
};

// Runs the thread's messages, as the program's loop does, until the
// predicate holds or the deadline passes.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline = 10s) {
    const auto end = Clock::now() + deadline;
    while (!done()) {
        if (Clock::now() > end) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

// Drops what a window left behind (its end posts a quit): not the next test's.
void DropMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// The window's controls, its children's children too.
std::vector<HWND> Controls(HWND window) {
    std::vector<HWND> controls;
    EnumChildWindows(
        window,
        [](HWND w, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
            return TRUE;
        },
        LPARAM(&controls));
    return controls;
}

class Win32Windows : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(sandbox.appData()); }
    GdiplusSession gdiplus;
    test::Sandbox sandbox;
};

TEST_F(Win32Windows, GifImagesLieOnTheMemoryImageWithTheirDisposal) {
    // (The waits the delays give are gif_blocks_test's.) The second image puts
    // back what was under it, the last clears its own pixel.
    const Bytes gif =
        PixelGif().Frame(0, 1, 0, 1).Frame(0, 2, 3, 3).Frame(1, 3, 50, 1).Frame(2, 1, 5, 2).Done();
    CPictureEx picture(kBackground);
    ASSERT_TRUE(picture.LoadMemory(gif));
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 1);
    ASSERT_EQ(picture.FrameCount(), 4u);

    const auto row = [&] {
        return std::vector<std::uint32_t>{picture.PixelAt(0, 0), picture.PixelAt(1, 0),
                                          picture.PixelAt(2, 0)};
    };
    using Row = std::vector<std::uint32_t>;
    EXPECT_FALSE(picture.Draw()) << "an animation is not a still picture";
    EXPECT_EQ(row(), (Row{kRed, kBack, kBack}));
    picture.ShowNextFrame();
    EXPECT_EQ(row(), (Row{kLime, kBack, kBack}));
    picture.ShowNextFrame();
    EXPECT_EQ(row(), (Row{kRed, kBlue, kBack})) << "restored, then the next image";
    picture.ShowNextFrame();
    EXPECT_EQ(row(), (Row{kRed, kBlue, kRed}));
    picture.ShowNextFrame();
    EXPECT_EQ(picture.CurrentFrame(), 0u);
    EXPECT_EQ(row(), (Row{kRed, kBack, kBack})) << "a new round starts on a cleared image";
}

TEST_F(Win32Windows, GifPlaysOnTheUiThreadUntilStopped) {
    const Bytes gif =
        PixelGif().Frame(0, 1, 0, 0).Frame(1, 2, 3, 0).Frame(2, 3, 50, 0).Frame(0, 2, 5, 0).Done();
    HWND control = CreateWindowW(L"STATIC", L"", WS_POPUP | SS_OWNERDRAW, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    CPictureEx picture;
    picture.Attach(control);
    ASSERT_TRUE(picture.LoadMemory(gif));
    RECT size{};
    GetClientRect(control, &size);
    EXPECT_EQ(size.right, 3) << "the control takes the picture's size";
    EXPECT_EQ(size.bottom, 1);

    const auto start = Clock::now();
    EXPECT_FALSE(picture.Draw());
    EXPECT_TRUE(picture.IsPlaying());
    // Each image stays at least its time (timers may be late, never early
    // by more than their granularity).
    const long minimum[] = {90, 180, 660, 700};
    const std::size_t order[] = {1, 2, 3, 0};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(PumpUntil([&] { return picture.CurrentFrame() == order[i]; })) << i;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        EXPECT_GE(elapsed, minimum[i]) << "image " << order[i];
    }
    picture.StopAnimation();
    EXPECT_FALSE(picture.IsPlaying());
    PumpUntil([] { return false; }, 300ms);
    EXPECT_EQ(picture.CurrentFrame(), 0u);
    DestroyWindow(control);
}

TEST_F(Win32Windows, StillPicturesOneImageGifsAndWhatIsNoPicture) {
    CPictureEx picture;
    ASSERT_TRUE(picture.LoadFile(MOBILE_JPG));
    EXPECT_EQ(picture.Width(), 180);
    EXPECT_EQ(picture.Height(), 280);
    EXPECT_TRUE(picture.Draw());
    EXPECT_FALSE(picture.IsPlaying());

    // One image: still, at the size of the logical screen.
    ASSERT_TRUE(picture.LoadMemory(PixelGif().Frame(1, 3, 10, 0).Done()));
    EXPECT_EQ(picture.FrameCount(), 0u);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_TRUE(picture.Draw());
    EXPECT_EQ(picture.PixelAt(1, 0), kBlue);

    EXPECT_FALSE(picture.LoadMemory(PixelGif().Done())) << "a GIF without an image";
    EXPECT_FALSE(picture.Draw()) << "a failed load leaves nothing to show";
    EXPECT_FALSE(picture.LoadFile(sandbox.root() / "missing.gif"));
}

std::string NoShow(const test::Sandbox& sandbox) {
    return platform::ReadProfileString(sandbox.appData() / "program_config.ini", "harbrook",
                                       "noshow", "none", 100);
}

std::wstring TextOf(HWND window) {
    wchar_t text[600] = {};
    GetWindowTextW(window, text, 600);
    return text;
}

TEST_F(Win32Windows, ReminderTextsCheckBoxButtonAndKeys) {
    CNotifyBackup popup(sandbox.appData());
    int opened = 0;
    popup.onOpenMainWindow = [&] { ++opened; };
    ASSERT_TRUE(popup.Create());
    EXPECT_FALSE(IsWindowVisible(popup.Hwnd()));
    EXPECT_EQ(GetWindow(popup.Hwnd(), GW_OWNER), nullptr) << "a window of its own";
    EXPECT_EQ(TextOf(popup.Hwnd()), L"Harbrook");
    EXPECT_EQ(TextOf(popup.Item(IDC_REMINDER_LINE1)),
              L"Easily back up photos, videos, documents and audio from your "
              L"phone to your "
              L"computer.");
    EXPECT_EQ(TextOf(popup.Item(IDC_REMINDER_LINE2)),
              L"One-click delete can help you greatly save cell phone space.");
    EXPECT_EQ(TextOf(popup.Item(IDC_REMINDER_BACKUP)), L"Back up your phone's data");
    EXPECT_EQ(TextOf(popup.Item(IDC_REMINDER_NO_SHOW)), L"Do not show again.");

    ShowWindow(popup.Hwnd(), SW_SHOW);
    for (const char* expected : {"yes", "no", "yes"}) {
        SendMessageW(popup.Item(IDC_REMINDER_NO_SHOW), BM_CLICK, 0, 0);
        EXPECT_EQ(NoShow(sandbox), expected);
    }
    SendMessageW(popup.Item(IDC_REMINDER_BACKUP), BM_CLICK, 0, 0);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(IsWindowVisible(popup.Hwnd()));
    // Esc and Enter as the program's loop hands them to the dialog manager,
    // and the close box; none of them writes.
    for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN), WPARAM(0)}) {
        ShowWindow(popup.Hwnd(), SW_SHOW);
        MSG press{popup.Item(IDC_REMINDER_NO_SHOW), WM_KEYDOWN, key, 0, 0, {}};
        if (key == 0) {
            SendMessageW(popup.Hwnd(), WM_CLOSE, 0, 0);
        } else {
            EXPECT_TRUE(IsDialogMessageW(popup.Hwnd(), &press));
        }
        EXPECT_FALSE(IsWindowVisible(popup.Hwnd())) << key;
    }
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(NoShow(sandbox), "yes");
}

// Asks the update question from a worker while the test's thread runs the
// window's loop. The box runs a loop of its own inside the posted work; a
// thread timer, which that loop runs too, finds it (the active window) and
// hands it to `act` once.
struct AskedQuestion {
    std::optional<bool> answer;
    std::wstring text;
    bool okAndCancelOnly = false;
    LONG_PTR boxExStyle = 0;
};
std::function<void()> g_onTimer;

bool Shown(HWND box, int id) {
    return GetDlgItem(box, id) && IsWindowVisible(GetDlgItem(box, id));
}

AskedQuestion AskOnWorker(const std::function<void(HWND box, HWND mainWindow)>& act) {
    AskedQuestion asked;
    {
        CharbrookDlg window;
        EXPECT_TRUE(window.Create());
        Win32View view(window);
        WindowPresenter ui(view, view);
        g_onTimer = [&] {
            const HWND box = GetActiveWindow();
            if (!box || box == window.Hwnd() || !asked.text.empty()) return;
            asked.text.resize(400);
            asked.text.resize(GetDlgItemTextW(box, 0xFFFF, asked.text.data(), 400));
            asked.okAndCancelOnly =
                Shown(box, IDOK) && Shown(box, IDCANCEL) && !Shown(box, IDYES) && !Shown(box, IDNO);
            asked.boxExStyle = GetWindowLongPtrW(box, GWL_EXSTYLE);
            act(box, window.Hwnd());
        };
        const UINT_PTR timer =
            SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { g_onTimer(); });
        std::atomic<bool> answered = false;
        std::thread worker([&] {
            asked.answer = ui.AskOkCancel(window_text::Text(kStrUpdateQuestion));
            answered = true;
        });
        const auto end = Clock::now() + 10s;  // never hang the suite
        MSG message;
        while (!answered && Clock::now() < end) {
            if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
                continue;
            }
            if (message.message == WM_QUIT) break;  // the program's loop ends here
            DispatchMessageW(&message);
        }
        KillTimer(nullptr, timer);
        ui.Close();  // as the program does once its loop has ended
        worker.join();
    }
    DropMessages();
    return asked;
}

TEST_F(Win32Windows, UpdateQuestionIsAnOkCancelBoxAndQuittingAnswersCancel) {
    const std::wstring question =
        L"New version of Harbrook is available. Do you "
        L"want to download and install it?";
    AskedQuestion ok =
        AskOnWorker([](HWND box, HWND) { SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
    EXPECT_EQ(ok.text, question);
    EXPECT_TRUE(ok.okAndCancelOnly);
    EXPECT_EQ(ok.answer, true);

    // "Quit" while the box is open (the tray menu's command, which a quit
    // request also posts): the loop ends and the worker gets Cancel.
    AskedQuestion quit =
        AskOnWorker([](HWND, HWND window) { PostMessageW(window, WM_COMMAND, ID_QUIT, 0); });
    EXPECT_EQ(quit.text, question);
    EXPECT_EQ(quit.answer, false);
}

// "Send Files" opens in the user's Documents, then where files were last
// chosen from (it opened in the program's working folder before); a choice
// too long for the dialog's buffer is told, not taken for a cancel.
TEST_F(Win32Windows, SendFilesDialogStartsInDocumentsThenInTheLastFolder) {
    const auto folder = sandbox.root() / "to send";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "a.txt") << "a";
    CharbrookDlg window;
    ASSERT_TRUE(window.Create());
    std::vector<std::wstring> shownIn, told;
    std::wstring pick;  // typed into the dialog, or cancelled when empty
    g_onTimer = [&] {
        HWND dialog = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM found) {
                wchar_t name[16] = {};
                GetClassNameW(w, name, 16);
                if (std::wstring_view(name) != L"#32770" || !IsWindowVisible(w)) return TRUE;
                *reinterpret_cast<HWND*>(found) = w;
                return FALSE;
            },
            LPARAM(&dialog));
        if (!dialog || dialog == window.Hwnd()) return;
        std::wstring path(MAX_PATH, L'\0');
        const auto n = SendMessageW(dialog, CDM_GETFOLDERPATH, path.size(), LPARAM(path.data()));
        if (n <= 0) {  // not the file dialog: a message box, read and closed
            told.push_back(TextOf(GetDlgItem(dialog, 0xFFFF)));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            return;
        }
        path.resize(static_cast<std::size_t>(n) - 1);
        shownIn.push_back(path);
        if (pick.empty()) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        } else {
            SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, LPARAM(pick.c_str()));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
    };
    const UINT_PTR timer =
        SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { g_onTimer(); });
    pick = (folder / "a.txt").wstring();
    const auto chosen = window.ChooseFilesToSend();
    pick.clear();
    EXPECT_TRUE(window.ChooseFilesToSend().empty());
    EXPECT_TRUE(told.empty()) << "a cancel is not told";
    pick = (folder / "a.txt").wstring();
    EXPECT_TRUE(window.ChooseFilesToSend(8).empty());  // room for no path
    KillTimer(nullptr, timer);
    g_onTimer = nullptr;
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_TRUE(std::filesystem::equivalent(chosen.front(), folder / "a.txt"));
    ASSERT_EQ(shownIn.size(), 3u);
    PWSTR documents = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &documents)));
    EXPECT_TRUE(std::filesystem::equivalent(shownIn[0], documents)) << shownIn[0].c_str();
    CoTaskMemFree(documents);
    EXPECT_TRUE(std::filesystem::equivalent(shownIn[1], folder));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], Wide(window_text::Text(kStrBadFiles)));
}

// "Start at login" in the tray's menu is ticked while the Run key holds the
// program, and choosing it switches the key.
TEST_F(Win32Windows, TrayMenuSwitchesStartAtLogin) {
    ASSERT_TRUE(platform::SetStartAtLogin(false, platform::ProgramToStart(), nullptr));
    CharbrookDlg window;
    ASSERT_TRUE(window.Create());
    const auto item = [&] {
        HMENU menu = window.Tray().MakeMenu();
        wchar_t text[64] = {};
        GetMenuStringW(menu, ID_START_AT_LOGIN, text, 64, MF_BYCOMMAND);
        const bool ticked = GetMenuState(menu, ID_START_AT_LOGIN, MF_BYCOMMAND) & MF_CHECKED;
        DestroyMenu(menu);
        return std::pair(std::wstring(text), ticked);
    };
    EXPECT_EQ(item(), std::pair(std::wstring(L"Start at login"), false));
    for (const bool on : {true, false}) {
        SendMessageW(window.Hwnd(), WM_COMMAND, ID_START_AT_LOGIN, 0);
        EXPECT_EQ(platform::StartsAtLogin(), on);
        EXPECT_EQ(item().second, on);
    }
    window.Quit();
    DropMessages();
}

// The space a control's text needs in the control's font: wrapped to the
// control's width where the control wraps.
SIZE TextNeeds(HWND control, const std::wstring& text, int width, bool wraps) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, HFONT(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &r,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {r.right, r.bottom};
}

// In every language library each text of the window and the reminder fits
// its control: static texts (wrapped as they wrap), check boxes and the
// navigation buttons (wrapped beside their icon, as they are drawn).
TEST_F(Win32Windows, EveryLanguageFitsItsControls) {
    std::wstring misfits;
    for (const auto& name : test::LibraryNames()) {
        const auto library = test::LoadBuiltLibrary(name);
        ASSERT_TRUE(library) << name;
        const test::UsingLanguage language(library.get());
        CharbrookDlg window;
        ASSERT_TRUE(window.Create());
        CNotifyBackup popup(sandbox.appData());
        ASSERT_TRUE(popup.Create());
        std::vector<HWND> controls = Controls(window.Hwnd());
        for (HWND control : Controls(popup.Hwnd())) controls.push_back(control);
        for (HWND control : controls) {
            wchar_t kind[16] = {};
            GetClassNameW(control, kind, 16);
            const std::wstring text = TextOf(control);
            const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
            RECT box{};
            GetClientRect(control, &box);
            SIZE needs{}, room{box.right, box.bottom};
            if (text.empty()) continue;
            if (_wcsicmp(kind, L"Static") == 0) {
                const LONG_PTR type = style & SS_TYPEMASK;
                if (type == SS_OWNERDRAW) continue;
                needs = TextNeeds(control, text, room.cx,
                                  type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE);
            } else if (_wcsicmp(kind, L"Button") == 0) {
                const LONG_PTR type = style & BS_TYPEMASK;
                if (type == BS_OWNERDRAW) {
                    // Only the navigation buttons: an icon and paddings of
                    // 8 + 32 + 8 + 8 pixels at 96 DPI beside the bold text.
                    const int id = GetDlgCtrlID(control);
                    if (id != IDC_NAV_CONNECT && id != IDC_NAV_RECEIVED && id != IDC_NAV_SEND)
                        continue;
                    HFONT bold = DeriveFont(control, true, 1.0);
                    HFONT plain = HFONT(SendMessageW(control, WM_GETFONT, 0, 0));
                    SendMessageW(control, WM_SETFONT, WPARAM(bold), FALSE);
                    room.cx -= Scaled(control, 56);
                    needs = TextNeeds(control, text, room.cx, true);
                    SendMessageW(control, WM_SETFONT, WPARAM(plain), FALSE);
                    DeleteObject(bold);
                } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
                    room.cx -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
                    needs = TextNeeds(control, text, room.cx, false);
                } else {
                    needs = TextNeeds(control, text, room.cx, false);
                }
            } else {
                continue;
            }
            if (needs.cx > room.cx || needs.cy > room.cy) {
                misfits += platform::win32::Widen(name) + L" " +
                           std::to_wstring(GetDlgCtrlID(control)) + L" \"" + text + L"\": " +
                           std::to_wstring(needs.cx) + L"x" + std::to_wstring(needs.cy) + L" in " +
                           std::to_wstring(room.cx) + L"x" + std::to_wstring(room.cy) + L"\n";
            }
        }
    }
    std::string report;
    platform::Utf16ToUtf8(std::u16string(misfits.begin(), misfits.end()), report);
    EXPECT_TRUE(misfits.empty()) << report;
}

bool LaidOutRightToLeft(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
}

// In Arabic the window, its panels, the reminder and the message boxes lie
// right to left; pictures drawn on a mirrored surface keep their orientation.
TEST_F(Win32Windows, ArabicLaysTheWindowsOutRightToLeft) {
    const auto arabic = test::LoadBuiltLibrary("arabic.dll");
    ASSERT_TRUE(arabic);
    std::optional<test::UsingLanguage> language(arabic.get());
    UseLanguageLayout();
    {
        CharbrookDlg window;
        ASSERT_TRUE(window.Create());
        EXPECT_TRUE(LaidOutRightToLeft(window.Hwnd()));
        const auto controls = Controls(window.Hwnd());
        const auto qrAt = std::find_if(controls.begin(), controls.end(),
                                       [](HWND w) { return GetDlgCtrlID(w) == IDC_QR_PICTURE; });
        ASSERT_NE(qrAt, controls.end());
        const HWND qr = *qrAt;
        EXPECT_TRUE(LaidOutRightToLeft(GetParent(qr))) << "the connect panel";
        EXPECT_TRUE(LaidOutRightToLeft(qr)) << "its picture";
        CNotifyBackup popup(sandbox.appData());
        ASSERT_TRUE(popup.Create());
        EXPECT_TRUE(LaidOutRightToLeft(popup.Hwnd())) << "the reminder";
    }
    const AskedQuestion asked =
        AskOnWorker([](HWND box, HWND) { SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
    EXPECT_TRUE(asked.boxExStyle & WS_EX_LAYOUTRTL) << "the message box";
    // (wine leaves no trace of the reading order on the box; the flags it is given.)
    EXPECT_EQ(MessageBoxDirection(), UINT(MB_RTLREADING | MB_RIGHT));
    language.reset();
    UseLanguageLayout();
    EXPECT_EQ(MessageBoxDirection(), 0u);

    // A picture red on the left, blue on the right stays so on a mirrored
    // memory image, scaled by whole pixels or smoothly. (An 8-by-8 BMP file
    // of 24-bit pixels, blue-green-red.)
    Bytes bmp(54 + 8 * 8 * 3, 0);
    const auto put = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = std::uint8_t(value >> (8 * i));
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put(2, std::uint32_t(bmp.size())), put(10, 54), put(14, 40), put(18, 8), put(22, 8);
    put(26, 1 | 24 << 16);
    for (std::size_t pixel = 0; pixel < 64; ++pixel)
        bmp[54 + pixel * 3 + (pixel % 8 < 4 ? 2 : 0)] = 0xFF;
    const Image picture = Image::FromBytes(bmp.data(), bmp.size());
    ASSERT_FALSE(picture.Empty());
    const auto red = [](std::uint32_t p) { return (p >> 16 & 0xFF) > 0xC0 && (p & 0xFF) < 0x40; };
    const auto blue = [](std::uint32_t p) { return (p & 0xFF) > 0xC0 && (p >> 16 & 0xFF) < 0x40; };
    for (bool whole : {true, false}) {
        HDC dc = CreateCompatibleDC(nullptr);
        void* drawn = nullptr;
        const BITMAPINFO target = TopDownBitmapInfo(16, 16);
        HBITMAP surface = CreateDIBSection(dc, &target, DIB_RGB_COLORS, &drawn, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, surface);
        SetLayout(dc, LAYOUT_RTL);
        if (whole) {
            picture.DrawWholePixels(dc, {0, 0, 16, 16});
        } else {
            picture.Draw(dc, {0, 0, 16, 16});
        }
        GdiFlush();
        const auto* row = static_cast<const std::uint32_t*>(drawn) + 16 * 8;
        EXPECT_TRUE(red(row[3])) << whole << " " << std::hex << row[3];
        EXPECT_TRUE(blue(row[12])) << whole << " " << std::hex << row[12];
        SelectObject(dc, old);
        DeleteObject(surface);
        DeleteDC(dc);
    }
}

TEST_F(Win32Windows, WithoutANotificationAreaTheCloseBoxMinimises) {
    CharbrookDlg window;
    ASSERT_TRUE(window.Create());
    Win32View view(window);
    WindowPresenter presenter(view, view);
    view.Connect(presenter);
    presenter.SetTrayPresent(false);
    presenter.Start(std::filesystem::path(MOBILE_JPG).parent_path());
    EXPECT_TRUE(IsWindowVisible(window.Hwnd())) << "no tray: open from the start";
    SendMessageW(window.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(window.Hwnd()));
    EXPECT_TRUE(IsIconic(window.Hwnd()));
    // With a tray it hides, and the tray's "Open main window" brings it back.
    presenter.SetTrayPresent(true);
    SendMessageW(window.Hwnd(), WM_COMMAND, ID_OPEN_MAIN_WINDOW, 0);
    EXPECT_FALSE(IsIconic(window.Hwnd()));
    SendMessageW(window.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window.Hwnd()));
    presenter.Close();
    window.Quit();
    DropMessages();
}

}  // namespace
}  // namespace harbrook::win32
