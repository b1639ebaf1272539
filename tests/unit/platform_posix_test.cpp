// POSIX behaviour of the platform layer and the failures it reports: a full
// disk, a write refused part-way, a read failure of the input, locks held by
// others, and the program's own path.

#include "batch_writer.h"
#include "errors.h"
#include "generation.h"
#include "input_reader.h"
#include "platform.h"

#include "generation_support.h"
#include "writer_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {
namespace {

using namespace test;

TEST(PosixFailures, BatchFileOnAFullDisk) {
    const CTempDir dir;
    WriteBytes(dir.Path("codes.txt"), "ABC,Punkt\n");
    CBatchWriter writer(CCatalogue(dir.Path("codes.txt")), "/dev/full", 2, 3, 0, "ABC", "", "");
    ASSERT_TRUE(writer.IsOpen());
    writer.WriteRecord("101 1 2");
    try {
        writer.Finish();
        FAIL() << "no error on a full disk";
    } catch (const FileError& error) {
        EXPECT_EQ(error.GetCause(), FileError::Cause::DiskFull);
        EXPECT_STREQ(error.what(), "Disk full while accessing /dev/full.");
    }
}

TEST(PosixFailures, GenerationOnAFullDiskShowsNoSuccess) {
    const CTempDir dir;
    const CProgramList list("abc,Punkt\n");
    const std::string input = dir.Path("in.txt");
    WriteBytes(input, "101 1 2\n");
    CRecordingFeedback feedback("/dev/full");
    try {
        RunGeneration(Request(input, "/dev/full"), feedback);
        FAIL() << "no error on a full disk";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Disk full while accessing /dev/full.");
    }
    EXPECT_EQ(feedback.events, (std::vector<std::string>{"begin wait", "end wait"}));
    EXPECT_EQ(ReadBytes(input), "101 1 2\n");
    EXPECT_TRUE(CInputReader(input).IsOpen()) << "the input stays held";
}

// Limits the size of files this process writes; writes beyond it fail.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t bytes) {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;
    ~CFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

TEST(PosixFailures, WriteFailurePartWayLeavesNoEndMarker) {
    const CTempDir dir;
    const CProgramList list("abc,Punkt\n");
    const std::string input = dir.Path("in.txt");
    const std::string output = dir.Path("out.wsd");
    std::string lines;
    for (int i = 0; i < 20000; ++i) {
        lines += std::to_string(i) + " 5712345,12 6543210,5\r\n";
    }
    WriteBytes(input, lines);
    CRecordingFeedback feedback(output);
    {
        const CFileSizeLimit limit(200000);
        try {
            RunGeneration(Request(input, output), feedback);
            FAIL() << "no error when the file may not grow";
        } catch (const FileError& error) {
            EXPECT_EQ(error.GetCause(), FileError::Cause::Generic);
            EXPECT_EQ(std::string(error.what()),
                      "An unknown error occurred while accessing " + output + ".");
        }
    }
    EXPECT_EQ(feedback.events, (std::vector<std::string>{"begin wait", "end wait"}));
    const std::string bytes = ReadBytes(output);
    EXPECT_LE(bytes.size(), 200000U);
    EXPECT_EQ(bytes.find("#KONIEC"), std::string::npos);
    EXPECT_EQ(ReadBytes(input), lines);
}

TEST(PosixFailures, ReadFailureOfTheInputNamesItAndLeavesNoEndMarker) {
    const CTempDir dir;
    const CProgramList list("abc,Punkt\n");
    const std::string output = dir.Path("out.wsd");
    CRecordingFeedback feedback(output);
    // A folder opens for reading but cannot be read.
    try {
        RunGeneration(Request(dir.Dir(), output), feedback);
        FAIL() << "no error reading a folder";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "An unknown error occurred while accessing " + dir.Dir() + ".");
    }
    EXPECT_EQ(feedback.events, (std::vector<std::string>{"begin wait", "end wait"}));
    EXPECT_EQ(test::SplitCrLf(ReadBytes(output)).size(), 3U);
    EXPECT_EQ(ReadBytes(output).find("#KONIEC"), std::string::npos);
}

TEST(PosixFailures, BatchFileLockedByAnotherProgramIsNotTouched) {
    const CTempDir dir;
    const CProgramList list("abc,Punkt\n");
    const std::string input = dir.Path("in.txt");
    const std::string output = dir.Path("out.wsd");
    WriteBytes(input, "101 1 2\n");
    WriteBytes(output, "someone else's file");
    const int fd = ::open(output.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    CRecordingFeedback feedback(output);
    EXPECT_EQ(RunGeneration(Request(input, output), feedback), GenerationOutcome::OutputNotOpened);
    ::close(fd);
    EXPECT_EQ(ReadBytes(output), "someone else's file");
    EXPECT_EQ(feedback.events, std::vector<std::string>{"message: " + test::kOpenFailed + output});
}

TEST(PosixFailures, ListLockedForWritingCannotBeRead) {
    const CTempDir dir;
    const std::string path = dir.Path("codes.txt");
    WriteBytes(path, "a,1\n");
    const int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const CMessageRecorder messages;
    EXPECT_EQ(CCatalogue(path).GetCodeCount(), 0);
    EXPECT_EQ(CMessageRecorder::Messages().size(), 1U);
    ::close(fd);
    EXPECT_EQ(CCatalogue(path).GetCodeCount(), 1);
}

TEST(PosixFailures, FifosNeverHangTheGeneration) {
    const CTempDir dir;
    const CProgramList list("abc,Punkt\n");
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string input = dir.Path("in.txt");
    WriteBytes(input, "101 1 2\n");

    CRecordingFeedback toFifo(fifo);
    EXPECT_EQ(RunGeneration(Request(input, fifo), toFifo), GenerationOutcome::OutputNotOpened);

    const std::string output = dir.Path("out.wsd");
    CRecordingFeedback fromFifo(output);
    EXPECT_EQ(RunGeneration(Request(fifo, output), fromFifo), GenerationOutcome::Generated);
    EXPECT_EQ(test::RecordsOf(ReadBytes(output)), std::vector<std::string>{});
}

TEST(PosixPlatform, AbsolutePathOf260BytesDoesNotOpen) {
    const CTempDir dir;
    // A relative name that is short but whose absolute form reaches 260.
    const std::string base = dir.Dir() + "/";
    ASSERT_LT(base.size(), 200U);
    const std::string name259(259 - base.size(), 'n');
    const std::string name260(260 - base.size(), 'n');
    WriteBytes(base + name259, "x\n");
    WriteBytes(base + name260, "x\n");
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir.Dir().c_str()), 0);
    const bool opened259 = platform::CFile::OpenExclusiveForReading(name259).IsOpen();
    const bool opened260 = platform::CFile::OpenExclusiveForReading(name260).IsOpen();
    const bool created260 = platform::CFile::CreateExclusiveForWriting(name260).IsOpen();
    ASSERT_EQ(::chdir(previous), 0);
    EXPECT_TRUE(opened259);
    EXPECT_FALSE(opened260);
    EXPECT_FALSE(created260);
    EXPECT_EQ(ReadBytes(base + name260), "x\n");
}

TEST(PosixPlatform, FileErrorNamesTheAbsolutePath) {
    const CTempDir dir;
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir.Dir().c_str()), 0);
    ::mkdir("sub", 0700);
    platform::CFile file = platform::CFile::OpenExclusiveForReading("./sub/../sub");
    ASSERT_EQ(::chdir(previous), 0);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetFullPath(), dir.Dir() + "/sub");
    char byte = 0;
    EXPECT_THROW(file.Read(&byte, 1), FileError);
}

struct NormaliseCase {
    const char* path;
    const char* normalised;
};

const NormaliseCase kNormaliseCases[] = {
    {"/a/b/c", "/a/b/c"},
    {"/a/./b/../c", "/a/c"},
    {"//a///b/", "/a/b"},
    {"/../..", "/"},
    {"/a/b/..", "/a"},
    {"/a/..b/c..", "/a/..b/c.."},
    {"/x/ListaKod\xC3\xB3w.txt", "/x/ListaKod\xC3\xB3w.txt"},
};

class PosixNormalise : public ::testing::TestWithParam<NormaliseCase> {};

TEST_P(PosixNormalise, RemovesDotsWithoutResolvingLinks) {
    EXPECT_EQ(platform::NormalisePath(GetParam().path), GetParam().normalised);
}

INSTANTIATE_TEST_SUITE_P(Paths, PosixNormalise, ::testing::ValuesIn(kNormaliseCases));

TEST(PosixPlatform, NormaliseMakesRelativePathsAbsoluteAndKeepsTheLimit) {
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    const std::string base = std::string(cwd) == "/" ? "" : cwd;
    EXPECT_EQ(platform::NormalisePath("x/./y"), base + "/x/y");
    const std::string fits = "/" + std::string(256, 'a');
    EXPECT_EQ(platform::NormalisePath(fits), fits);
    EXPECT_EQ(platform::NormalisePath(fits + "b"), std::nullopt);
}

TEST(PosixPlatform, ProgramDirectoryIsTheFolderOfTheRunningProgram) {
    char exe[4096];
    const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof exe);
    ASSERT_GT(length, 0);
    const std::string path(exe, static_cast<std::size_t>(length));
    EXPECT_EQ(platform::GetModulePath(), path);
    if (path.size() < 258 && path.find("..") == std::string::npos) {
        EXPECT_EQ(GetProgramDirectory(), path.substr(0, path.rfind('/') + 1));
    }
}

TEST(PosixPlatform, DefaultMessageGoesToStandardError) {
    platform::SetMessageFunction(nullptr);
    ::testing::internal::CaptureStderr();
    platform::ShowMessage("Nie mo\xBFna");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Nie mo\xBFna\n");
}

} // namespace
} // namespace velmora
