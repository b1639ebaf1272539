// The rules of the front end that need no window: message box types, the
// error report, the application title, the file dialog's start folder and
// the preview's line limit.

#include "errors.h"
#include "preview_text.h"
#include "win32/file_dialog.h"
#include "win32/win_app.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

namespace {

using namespace win32;

TEST(MessageBoxType, ExclamationForOkAndOkCancelQuestionForYesNoOthersUnchanged) {
    const struct {
        UINT given;
        UINT shown;
    } cases[] = {
        {MB_OK, MB_OK | MB_ICONEXCLAMATION},
        {MB_OKCANCEL, MB_OKCANCEL | MB_ICONEXCLAMATION},
        {MB_YESNO, MB_YESNO | MB_ICONQUESTION},
        {MB_YESNOCANCEL, MB_YESNOCANCEL | MB_ICONQUESTION},
        {MB_RETRYCANCEL, MB_RETRYCANCEL},
        {MB_ABORTRETRYIGNORE, MB_ABORTRETRYIGNORE},
        {MB_OK | MB_ICONSTOP, MB_OK | MB_ICONSTOP},
        {MB_OKCANCEL | MB_ICONINFORMATION, MB_OKCANCEL | MB_ICONINFORMATION},
        {MB_ICONEXCLAMATION | MB_SYSTEMMODAL, MB_ICONEXCLAMATION | MB_SYSTEMMODAL},
        {MB_OK | MB_SYSTEMMODAL, MB_OK | MB_SYSTEMMODAL | MB_ICONEXCLAMATION},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AfxMessageBoxType(c.given), c.shown) << "type " << std::hex << c.given;
    }
}

template <class Exception> std::exception_ptr Raised(Exception exception) {
    return std::make_exception_ptr(std::move(exception));
}

class TextlessError : public std::exception {
public:
    const char* what() const noexcept override { return ""; }
};

TEST(CommandErrorReport, OwnTextWithStopIconOutOfMemorySystemModal) {
    const struct {
        const char* name;
        std::exception_ptr error;
        std::string text;
        UINT type;
    } cases[] = {
        {"invalid argument", Raised(velmora::InvalidArgumentError()),
         "Encountered an improper argument.", MB_ICONSTOP},
        {"disk full", Raised(velmora::FileError(velmora::FileError::Cause::DiskFull, "C:\\a.wsd")),
         "Disk full while accessing C:\\a.wsd.", MB_ICONSTOP},
        {"read error", Raised(velmora::FileError(velmora::FileError::Cause::Generic, "C:\\a.txt")),
         "An unknown error occurred while accessing C:\\a.txt.", MB_ICONSTOP},
        {"other error", Raised(std::runtime_error("Zepsute")), "Zepsute", MB_ICONSTOP},
        {"error without text", Raised(TextlessError()), "Internal application error.", MB_ICONSTOP},
        {"not an exception class", Raised(42), "Internal application error.", MB_ICONSTOP},
        {"out of memory", Raised(std::bad_alloc()), "Out of memory.",
         MB_ICONEXCLAMATION | MB_SYSTEMMODAL},
    };
    for (const auto& c : cases) {
        const CommandErrorReport report = DescribeCommandError(c.error);
        EXPECT_EQ(report.text, c.text) << c.name;
        EXPECT_EQ(report.type, c.type) << c.name;
        // An explicit icon: the message box adds none of its own.
        EXPECT_EQ(AfxMessageBoxType(report.type), report.type) << c.name;
    }
}

TEST(AppTitle, ProgramFileNameWithoutFolderAndExtension) {
    const struct {
        const char* path;
        const char* title;
    } cases[] = {
        {"C:\\Program Files\\Velmora\\Velmora.exe", "Velmora"},
        {"Z:\\work\\build\\ui\\Velmora.exe", "Velmora"},
        {"C:\\wersja.1.2\\Velmora", "Velmora"},
        {"C:\\dane\\Moja.kopia.exe", "Moja.kopia"},
        {"\\\\serwer\\udzial\\Velmora.EXE", "Velmora"},
        {"C:Velmora.exe", "Velmora"},
        {"Velmora.exe", "Velmora"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppTitleFromModulePath(c.path), c.title) << c.path;
    }
}

TEST(FileDialogStartFolder, FolderPartOfAFilePath) {
    const struct {
        const wchar_t* path;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\dane\\punkty.txt", L"C:\\dane"},
        {L"C:\\dane\\2026\\punkty", L"C:\\dane\\2026"},
        {L"C:\\punkty.txt", L"C:\\"},
        {L"\\\\serwer\\udzial\\punkty.txt", L"\\\\serwer\\udzial"},
        {L"Z:/tmp/punkty.txt", L"Z:/tmp"},
        {L"punkty.txt", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOfFilePath(c.path), c.folder);
    }
}

TEST(FileDialogDefaultExtension, OnlyANameWithoutExtensionGetsIt) {
    const struct {
        const wchar_t* path;
        const wchar_t* extension;
        const wchar_t* chosen;
    } cases[] = {
        {L"C:\\dane\\wynik", L"wsd", L"C:\\dane\\wynik.wsd"},
        {L"C:\\dane\\wynik.txt", L"wsd", L"C:\\dane\\wynik.txt"},
        {L"C:\\dane.2026\\wynik", L"wsd", L"C:\\dane.2026\\wynik.wsd"},
        {L"Z:/tmp.x/wynik", L"wsd", L"Z:/tmp.x/wynik.wsd"},
        {L"C:\\dane\\wynik", L"", L"C:\\dane\\wynik"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithDefaultExtension(c.path, c.extension), c.chosen);
    }
}

TEST(PreviewText, LinesAreCutToTheLimitAndKeepTheirEnds) {
    const std::string limit(kPreviewLineLimit, 'a');
    const struct {
        const char* name;
        std::string preview;
        std::string shown;
    } cases[] = {
        {"empty", "", ""},
        {"short lines", "101 1 2\r\n102 3 4\r\n", "101 1 2\r\n102 3 4\r\n"},
        {"empty line", "\r\n\r\nx\r\n", "\r\n\r\nx\r\n"},
        {"lone CR inside and at the end", "a\rb\r\r\n", "a\rb\r\r\n"},
        {"Polish letters", "\xB3\xB9\x9C\r\n", "\xB3\xB9\x9C\r\n"},
        {"line at the limit", limit + "\r\n", limit + "\r\n"},
        {"line over the limit", limit + "bbb\r\nnext\r\n", limit + "\r\nnext\r\n"},
        {"long line without an end", limit + "tail", limit},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LimitPreviewLines(c.preview), c.shown) << c.name;
    }
}

TEST(PreviewText, AHugeLineShrinksToTheLimit) {
    const std::string huge(5'000'000, '7');
    EXPECT_EQ(LimitPreviewLines(huge + "\r\n"), std::string(kPreviewLineLimit, '7') + "\r\n");
}

} // namespace
