// Windows behaviour of the platform layer, run under Wine with code page
// 1250: the exclusive hold of both files, the program directory from
// GetModuleFileNameA, and the point-code list under its code page 1250 name.

#include "catalogue.h"
#include "generation.h"
#include "input_reader.h"
#include "platform.h"

#include "generation_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace velmora {
namespace {

using namespace test;

// A handle of "another program": CreateFileA with the given access and share.
class CForeignHandle {
public:
    CForeignHandle(const std::string& path, DWORD access, DWORD share)
        : m_handle(::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    CForeignHandle(const CForeignHandle&) = delete;
    CForeignHandle& operator=(const CForeignHandle&) = delete;
    ~CForeignHandle() {
        if (IsValid()) {
            ::CloseHandle(m_handle);
        }
    }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

TEST(Win32Platform, OutputNamingTheOpenInputFailsAndKeepsItsBytes) {
    const CTempDir dir;
    const CProgramList list("abc,Punkt\r\n");
    const std::string input = dir.Path("punkty.txt");
    WriteBytes(input, "101 1 2\r\n102 3 4\r\n");
    CRecordingFeedback feedback(input);
    EXPECT_EQ(RunGeneration(Request(input, input), feedback), GenerationOutcome::OutputNotOpened);
    EXPECT_EQ(feedback.events, std::vector<std::string>{"message: " + test::kOpenFailed + input});
    EXPECT_EQ(ReadBytes(input), "101 1 2\r\n102 3 4\r\n");
}

TEST(Win32Platform, FileHeldByAnotherProgramIsNeitherOpenedNorTruncated) {
    const CTempDir dir;
    const std::string path = dir.Path("held.wsd");
    WriteBytes(path, "held elsewhere");
    {
        const CForeignHandle other(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(other.IsValid());
        EXPECT_FALSE(platform::CFile::CreateExclusiveForWriting(path).IsOpen());
        EXPECT_FALSE(platform::CFile::OpenExclusiveForReading(path).IsOpen());
        EXPECT_FALSE(CInputReader(path).IsOpen());
    }
    EXPECT_EQ(ReadBytes(path), "held elsewhere");
    {
        platform::CFile held = platform::CFile::CreateExclusiveForWriting(path);
        ASSERT_TRUE(held.IsOpen());
        const CForeignHandle other(path, GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        EXPECT_FALSE(other.IsValid()) << "the batch file is held without sharing";
    }
}

TEST(Win32Platform, ListHeldForWritingCannotBeRead) {
    const CTempDir dir;
    const std::string path = dir.Path("codes.txt");
    WriteBytes(path, "a,1\r\n");
    {
        const CForeignHandle writer(path, GENERIC_WRITE, FILE_SHARE_READ);
        ASSERT_TRUE(writer.IsValid());
        const CMessageRecorder messages;
        EXPECT_EQ(CCatalogue(path).GetCodeCount(), 0);
        EXPECT_EQ(CMessageRecorder::Messages().size(), 1U);
    }
    {
        const CForeignHandle reader(path, GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(reader.IsValid());
        EXPECT_EQ(CCatalogue(path).GetCodeCount(), 1) << "reading beside another reader";
    }
}

TEST(Win32Platform, ProgramDirectoryIsTheFolderOfTheExe) {
    char module[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, module, sizeof module);
    ASSERT_GT(length, 0U);
    const std::string path(module, length);
    EXPECT_EQ(platform::GetModulePath(), path);
    const std::string directory = GetProgramDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '\\');
    EXPECT_EQ(directory, path.substr(0, path.find_last_of('\\') + 1));
}

TEST(Win32Platform, ListIsFoundUnderItsCodePage1250Name) {
    const std::string path = GetProgramDirectory() + "ListaKod\xF3w.txt";
    EXPECT_EQ(GetPointCodeListPath(), path);
    const CProgramList cleanup; // removes it again afterwards
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const char content[] = "kr,Kamie\xF1 graniczny\r\n\xB3\xF3,\xA3\xF3\r\n";
    DWORD written = 0;
    ::WriteFile(file, content, sizeof content - 1, &written, nullptr);
    ::CloseHandle(file);
    ASSERT_NE(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);

    const CMessageRecorder messages;
    const CCatalogue catalogue;
    EXPECT_TRUE(CMessageRecorder::Messages().empty());
    ASSERT_EQ(catalogue.GetCodeCount(), 2);
    EXPECT_EQ(catalogue.GetCode(0), "KR");
    EXPECT_EQ(catalogue.GetDescription(0), "Kamie\xF1 graniczny");
    EXPECT_EQ(catalogue.GetCode(1), "\xA3\xD3");
}

TEST(Win32Platform, NormaliseUsesTheSystemAndKeepsTheLimit) {
    EXPECT_EQ(platform::NormalisePath("C:\\a\\..\\b\\Tool.exe"), "C:\\b\\Tool.exe");
    const std::string fits = "C:\\" + std::string(254, 'a');
    EXPECT_EQ(platform::NormalisePath(fits), fits);
    EXPECT_EQ(platform::NormalisePath(fits + "b"), std::nullopt);
}

TEST(Win32Platform, PathOf260BytesDoesNotOpen) {
    const CTempDir dir;
    const std::string base = dir.Dir() + "\\";
    ASSERT_LT(base.size(), 200U);
    const std::string shortName = base + std::string(259 - base.size(), 'n');
    WriteBytes(shortName, "x\r\n");
    EXPECT_TRUE(CInputReader(shortName).IsOpen());
    std::string longName = shortName;
    longName.insert(base.size(), ".\\");
    longName.resize(260);
    EXPECT_FALSE(platform::CFile::CreateExclusiveForWriting(longName).IsOpen());
}

} // namespace
} // namespace velmora
