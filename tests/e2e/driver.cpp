#include "driver.h"

#include <psapi.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <thread>

namespace e2e {

namespace {

constexpr UINT kCodePage = 1250;
constexpr int kMessageTextId = 0xFFFF;
constexpr int kMessageIconId = 0x0440;
constexpr int kFileNameEditId = 0x0480;

std::string LastErrorText(std::string_view what) {
    return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
}

bool IsDialogClass(HWND window) {
    return ClassOf(window) == L"#32770";
}

} // namespace

std::string Ansi(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                        size, nullptr, nullptr);
    return bytes;
}

std::wstring Wide(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int size =
        MultiByteToWideChar(kCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(kCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        size);
    return text;
}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

std::wstring WindowsPath(std::string_view path) {
    const int size =
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), size);
    if (!wide.empty() && wide.front() == L'/') {
        std::replace(wide.begin(), wide.end(), L'/', L'\\');
        wide.insert(0, L"Z:");
    }
    return wide;
}

bool PollUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (ready()) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
}

void WaitUntil(const std::function<bool()>& ready, std::string_view what,
               std::chrono::milliseconds timeout) {
    if (!PollUntil(ready, timeout)) {
        throw DriverError("timed out after " + std::to_string(timeout.count()) +
                          " ms waiting for " + std::string(what));
    }
}

// ---- Files ----------------------------------------------------------------------------------

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw DriverError(LastErrorText("cannot create " + Utf8(path)));
    }
    DWORD written = 0;
    const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                               &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) {
        throw DriverError(LastErrorText("cannot write " + Utf8(path)));
    }
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    std::array<char, 65536> buffer{};
    DWORD got = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
           got > 0) {
        bytes.append(buffer.data(), got);
    }
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

bool RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + L"\\");
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(folder.c_str()) != 0;
}

} // namespace

TempFolder::TempFolder(std::wstring_view label) {
    static std::atomic<unsigned> counter{0};
    std::array<wchar_t, MAX_PATH + 1> temp{};
    GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
    m_path = std::wstring(temp.data()) + L"velmora-e2e-" + std::to_wstring(GetCurrentProcessId()) +
             L"-" + std::to_wstring(counter++) + L"-" + std::wstring(label) + L"\\";
    RemoveTree(m_path);
    if (!CreateDirectoryW(m_path.c_str(), nullptr)) {
        throw DriverError(LastErrorText("cannot create the folder " + Utf8(m_path)));
    }
}

TempFolder::~TempFolder() {
    // A program that just ended may still be letting go of its files for a moment.
    try {
        WaitUntil([&] { return RemoveTree(m_path); }, "removing the scenario folder");
    } catch (const DriverError&) {
    }
}

std::wstring TempFolder::Subfolder(std::wstring_view name) const {
    std::wstring path = m_path + std::wstring(name) + L"\\";
    if (!CreateDirectoryW(path.c_str(), nullptr)) {
        throw DriverError(LastErrorText("cannot create the folder " + Utf8(path)));
    }
    return path;
}

HeldFile::HeldFile(const std::wstring& path)
    : m_handle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (m_handle == INVALID_HANDLE_VALUE) {
        throw DriverError(LastErrorText("cannot hold " + Utf8(path)));
    }
}

HeldFile::~HeldFile() {
    CloseHandle(m_handle);
}

// ---- Windows --------------------------------------------------------------------------------

std::wstring ClassOf(HWND window) {
    std::array<wchar_t, 256> name{};
    const int length = GetClassNameW(window, name.data(), static_cast<int>(name.size()));
    return std::wstring(name.data(), static_cast<size_t>(std::max(length, 0)));
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT rather than GetWindowText, which does not ask other processes' controls.
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto got =
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

bool IsAlive(HWND window) {
    return window != nullptr && IsWindow(window);
}

HWND FocusOfThread(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

HWND Child(HWND parent, int id) {
    for (HWND child : Children(parent)) {
        if (GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return nullptr;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        std::wstring item(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        const auto got =
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
        items.push_back(item);
    }
    return items;
}

int ComboSelection(HWND combo) {
    return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
}

void ClickAndGoOn(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

void TypeText(HWND edit, std::wstring_view text) {
    for (const wchar_t ch : text) {
        SendMessageW(edit, WM_CHAR, ch, 1);
    }
}

void ReplaceText(HWND edit, std::wstring_view text) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    if (text.empty()) {
        SendMessageW(edit, WM_CHAR, VK_BACK, 1);
    } else {
        TypeText(edit, text);
    }
}

void SelectComboItem(HWND combo, int index) {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void PressKey(WORD virtualKey) {
    std::array<INPUT, 2> keys{};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = virtualKey;
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

namespace {

void MovePointerTo(POINT point) {
    // Through the input queue, like a real mouse: the window under the pointer gets
    // WM_MOUSEMOVE whichever process owns it.
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof move);
}

} // namespace

POINT CentreOf(HWND window) {
    RECT area{};
    GetWindowRect(window, &area);
    return {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
}

void MovePointerOver(HWND window, int nudge) {
    POINT centre = CentreOf(window);
    centre.x += nudge;
    MovePointerTo(centre);
}

void ClickWithMouse(HWND window) {
    ClickAt(CentreOf(window));
}

void ClickAt(POINT point) {
    MovePointerTo(point);
    std::array<INPUT, 2> clicks{};
    clicks[0].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].type = INPUT_MOUSE;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(static_cast<UINT>(clicks.size()), clicks.data(), sizeof(INPUT));
}

void ClickUntil(POINT point, const std::function<bool()>& done, std::string_view what) {
    // Long enough apart not to make a double click, and for a slow machine to handle the last.
    constexpr auto kRepeat = 3s;
    auto clicked = Clock::time_point{};
    WaitUntil(
        [&] {
            if (done()) {
                return true;
            }
            if (Clock::now() - clicked >= kRepeat) {
                ClickAt(point);
                clicked = Clock::now();
            }
            return false;
        },
        what);
}

// ---- Message boxes --------------------------------------------------------------------------

std::string_view NameOf(Icon icon) {
    switch (icon) {
    case Icon::None:
        return "none";
    case Icon::Exclamation:
        return "exclamation";
    case Icon::Stop:
        return "stop";
    case Icon::Information:
        return "information";
    case Icon::Question:
        return "question";
    case Icon::Unknown:
        break;
    }
    return "unknown";
}

namespace {

// A 32-bit top-down bitmap of the given size with a memory DC drawing into it.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    std::vector<std::uint32_t> Pixels() const {
        GdiFlush();
        const auto* bits = static_cast<const std::uint32_t*>(m_bits);
        return {bits, bits + static_cast<size_t>(m_width) * static_cast<size_t>(m_height)};
    }

private:
    int m_width;
    int m_height;
    HDC m_dc{};
    HBITMAP m_bitmap{};
    HGDIOBJ m_old{};
    void* m_bits{};
};

double MeanDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            sum += std::abs(static_cast<int>((a[i] >> shift) & 0xFF) -
                            static_cast<int>((b[i] >> shift) & 0xFF));
        }
    }
    return sum / (3.0 * static_cast<double>(a.size()));
}

} // namespace

Icon IconOfStatic(HWND iconStatic) {
    if (!IsAlive(iconStatic)) {
        return Icon::None;
    }
    if (!IsWindowVisible(iconStatic)) {
        return Icon::None;
    }
    RECT area{};
    GetWindowRect(iconStatic, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return Icon::None;
    }
    // Only what is really on screen can be captured: the static must not be covered.
    const POINT centre{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    const HWND atCentre = WindowFromPoint(centre);
    if (atCentre != iconStatic && atCentre != GetParent(iconStatic)) {
        return Icon::Unknown;
    }
    Canvas shot(width, height);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Dc(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    const auto captured = shot.Pixels();
    const std::uint32_t background = captured.front() & 0xFFFFFF;

    // IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION as wide resource names.
    struct Candidate {
        Icon icon;
        LPCWSTR resource;
    };
    const std::array<Candidate, 4> candidates{{{Icon::Exclamation, MAKEINTRESOURCEW(32515)},
                                               {Icon::Stop, MAKEINTRESOURCEW(32513)},
                                               {Icon::Information, MAKEINTRESOURCEW(32516)},
                                               {Icon::Question, MAKEINTRESOURCEW(32514)}}};
    Icon best = Icon::Unknown;
    double bestDifference = 1e9;
    for (const auto& candidate : candidates) {
        Canvas drawn(width, height);
        // The DIB holds 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
        HBRUSH brush = CreateSolidBrush(
            RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
        const RECT all{0, 0, width, height};
        FillRect(drawn.Dc(), &all, brush);
        DeleteObject(brush);
        DrawIconEx(drawn.Dc(), 0, 0, LoadIconW(nullptr, candidate.resource), width, height, 0,
                   nullptr, DI_NORMAL);
        const double difference = MeanDifference(captured, drawn.Pixels());
        if (difference < bestDifference) {
            bestDifference = difference;
            best = candidate.icon;
        }
    }
    // A plain background (the static not painted yet) matches nothing closely.
    return bestDifference < 6.0 ? best : Icon::Unknown;
}

bool IsMessageBox(HWND dialog) {
    if (!IsDialogClass(dialog)) {
        return false;
    }
    const HWND text = Child(dialog, kMessageTextId);
    return text != nullptr && ClassOf(text) == L"Static" && Child(dialog, kMessageIconId) &&
           !Child(dialog, kFileNameEditId);
}

MessageBoxInfo ReadMessageBox(HWND box, bool readIcon) {
    MessageBoxInfo info;
    info.window = box;
    info.caption = TextOf(box);
    info.text = TextOf(Child(box, kMessageTextId));
    for (HWND child : Children(box)) {
        const int id = GetDlgCtrlID(child);
        if (ClassOf(child) == L"Button" && id >= IDOK && id <= IDCONTINUE &&
            IsWindowVisible(child)) {
            info.buttons.push_back(id);
        }
    }
    std::sort(info.buttons.begin(), info.buttons.end());
    if (!readIcon) {
        return info;
    }
    const HWND icon = Child(box, kMessageIconId);
    // The icon is painted a moment after the box appears. Another window over it is moved
    // behind it, as a person would bring the box to the front to read it.
    try {
        WaitUntil(
            [&] {
                info.icon = IconOfStatic(icon);
                if (info.icon == Icon::Unknown) {
                    SetWindowPos(box, HWND_TOP, 0, 0, 0, 0,
                                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                }
                return info.icon != Icon::Unknown;
            },
            "the message box icon");
    } catch (const DriverError&) {
    }
    return info;
}

// ---- A started program ----------------------------------------------------------------------

Program::Program(const std::wstring& exe, const std::wstring& folder) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &m_info)) {
        throw DriverError(LastErrorText("cannot start " + Utf8(exe)));
    }
}

Program::~Program() {
    if (Running()) {
        Kill();
    }
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
}

bool Program::Running() const {
    return WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::WaitExit(std::chrono::milliseconds timeout) const {
    return WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(timeout.count())) ==
           WAIT_OBJECT_0;
}

void Program::Kill() {
    TerminateProcess(m_info.hProcess, 99);
    WaitForSingleObject(m_info.hProcess, 10000);
}

namespace {

struct WindowSearch {
    DWORD process;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process) {
        search->windows.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND, LPARAM context) {
    ++*reinterpret_cast<DWORD*>(context);
    return TRUE;
}

} // namespace

std::vector<HWND> Program::TopLevelWindows() const {
    WindowSearch search{m_info.dwProcessId, {}};
    EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

std::vector<HWND> Program::Dialogs() const {
    std::vector<HWND> dialogs;
    for (HWND window : TopLevelWindows()) {
        if (IsWindowVisible(window) && IsDialogClass(window)) {
            dialogs.push_back(window);
        }
    }
    return dialogs;
}

HWND Program::WaitDialog(const std::function<bool(HWND)>& match, std::string_view what,
                         std::chrono::milliseconds timeout) const {
    return WaitFor<HWND>(
        [&]() -> std::optional<HWND> {
            if (!Running()) {
                throw DriverError("the program ended while waiting for " + std::string(what));
            }
            for (HWND dialog : Dialogs()) {
                if (match(dialog)) {
                    return dialog;
                }
            }
            return std::nullopt;
        },
        what, timeout);
}

std::optional<HWND> Program::FindMessageBox() const {
    for (HWND dialog : Dialogs()) {
        if (IsMessageBox(dialog)) {
            return dialog;
        }
    }
    return std::nullopt;
}

HWND Program::WaitMessageBox(std::string_view what, std::chrono::milliseconds timeout) const {
    return WaitDialog(IsMessageBox, what, timeout);
}

namespace {

// Wine answers GetGuiResources with 0. Its GDI handle table lies in the process's own memory, at
// the PEB's GdiSharedHandleTable, with one 24-byte entry per handle whose type byte is non-zero
// while the handle is in use; counting those gives the process's GDI objects.
struct WineGdiEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t userPointer;
};
static_assert(sizeof(WineGdiEntry) == 24);
constexpr size_t kWineGdiHandles = 0x10000;

DWORD CountGdiObjectsInTable(HANDLE process) {
    using QueryProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    struct BasicInformation {
        void* reserved1;
        void* pebAddress;
        void* reserved2[4];
    } basic{};
    const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    ULONG length = 0;
    if (query == nullptr || query(process, 0, &basic, sizeof basic, &length) != 0) {
        return 0;
    }
    const size_t tableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;
    void* table = nullptr;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, static_cast<char*>(basic.pebAddress) + tableOffset, &table,
                           sizeof table, &got) ||
        table == nullptr) {
        return 0;
    }
    std::vector<WineGdiEntry> entries(kWineGdiHandles);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(WineGdiEntry),
                           &got)) {
        return 0;
    }
    return static_cast<DWORD>(
        std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.type != 0; }));
}

} // namespace

DWORD Program::CountWindows() const {
    DWORD count = 0;
    for (HWND window : TopLevelWindows()) {
        ++count;
        EnumChildWindows(window, CountWindow, reinterpret_cast<LPARAM>(&count));
    }
    return count;
}

Program::Resources Program::ReadResources() const {
    Resources resources;
    resources.gdiObjects = GetGuiResources(m_info.hProcess, GR_GDIOBJECTS);
    if (resources.gdiObjects == 0) {
        resources.gdiObjects = CountGdiObjectsInTable(m_info.hProcess);
    }
    resources.userObjects = GetGuiResources(m_info.hProcess, GR_USEROBJECTS);
    resources.windows = CountWindows();
    GetProcessHandleCount(m_info.hProcess, &resources.handles);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(m_info.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        // Wine leaves PrivateUsage at 0; its PagefileUsage is the same commit charge.
        resources.privateBytes =
            memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
        resources.workingSet = memory.WorkingSetSize;
    }
    return resources;
}

// ---- The Explorer-style file dialog ---------------------------------------------------------

HWND WaitFileDialog(const Program& program, HWND owner) {
    return program.WaitDialog(
        [&](HWND dialog) {
            return GetWindow(dialog, GW_OWNER) == owner && GetDlgItem(dialog, kFileNameEditId);
        },
        "the file dialog");
}

std::optional<std::wstring> TryFileDialog(const Program& program, HWND owner,
                                          const std::wstring& name) {
    const HWND dialog = WaitFileDialog(program, owner);
    const HWND edit = GetDlgItem(dialog, kFileNameEditId);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    std::optional<std::wstring> complaint;
    WaitUntil(
        [&] {
            if (!IsAlive(dialog)) {
                return true;
            }
            // The file dialog refuses a name with a box of its own.
            for (HWND box : program.Dialogs()) {
                if (GetWindow(box, GW_OWNER) == dialog) {
                    complaint = TextOf(Child(box, kMessageTextId));
                    return true;
                }
            }
            return false;
        },
        "the file dialog to close");
    if (complaint) {
        // Acknowledge the complaint and give up, as a person would.
        for (HWND box : program.Dialogs()) {
            if (GetWindow(box, GW_OWNER) == dialog) {
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                WaitUntil([&] { return !IsAlive(box); }, "the file dialog's complaint to close");
            }
        }
        PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        WaitUntil([&] { return !IsAlive(dialog); }, "the file dialog to close");
    }
    return complaint;
}

void ChooseInFileDialog(const Program& program, HWND owner, const std::wstring& name) {
    if (const auto complaint = TryFileDialog(program, owner, name)) {
        throw DriverError("the file dialog refused " + Utf8(name) + ": " + Utf8(*complaint));
    }
}

void CancelFileDialog(const Program& program, HWND owner) {
    const HWND dialog = WaitFileDialog(program, owner);
    PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsAlive(dialog); }, "the file dialog to close");
}

} // namespace e2e
