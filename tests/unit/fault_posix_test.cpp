// Failure handling that needs the POSIX system to provoke it: a full disk
// (/dev/full, a small tmpfs), an input that cannot be read, files locked by
// another process, a read-only folder, and memory for a very long line.

#include "errors.h"
#include "generation.h"

#include "fault_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace velmora {
namespace {

using namespace test;

// Enough records to overflow any write buffer of the batch file.
std::string ManyPoints(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        bytes += std::to_string(1000 + i) + " 5712345,12 6543210,50\r\n";
    }
    return bytes;
}

using PosixFault = FaultTest;

// ---------------------------------------------------------------------------
// Full disk.

struct DiskFullCase {
    const char* name;
    int points;
};

class DevFull : public PosixFault, public ::testing::WithParamInterface<DiskFullCase> {};

TEST_P(DevFull, ReportsDiskFullWithThePathAndNoSuccess) {
    const std::string input = m_dir.Path("punkty.txt");
    const std::string points = ManyPoints(GetParam().points);
    WriteBytes(input, points);

    const GenerationResult result = Generate(Request(input, "/dev/full"));

    EXPECT_FALSE(result.outcome.has_value());
    EXPECT_TRUE(result.fileError);
    EXPECT_EQ(result.cause, FileError::Cause::DiskFull);
    EXPECT_EQ(result.error, "Disk full while accessing /dev/full.");
    EXPECT_TRUE(result.feedback.messages.empty()) << result.feedback.messages.front();
    EXPECT_EQ(ReadBytes(input), points);
}

// No points: the failure comes with the end marker; many: while converting.
INSTANTIATE_TEST_SUITE_P(DiskFull, DevFull,
                         ::testing::Values(DiskFullCase{"NoPoints", 0},
                                           DiskFullCase{"ManyPoints", 20000}),
                         RowName);

// Where a write fails with "no space" or is refused whoever asks: the small file system and the
// read-only folder that scripts/with-fault-mounts gives the tests (ctest runs them under it), or
// the reason it could not.
std::string FaultFolder(const char* name) {
    const char* const folder = std::getenv(name);
    return folder != nullptr ? folder : "";
}

std::string WhyNoFaultFolder(const char* name) {
    const char* const why = std::getenv("VELMORA_NO_FAULT_MOUNTS");
    return std::string(name) +
           " is not set: " + (why != nullptr ? why : "not run under scripts/with-fault-mounts");
}

// The batch file fills the small file system; what was written must not look complete.
TEST_F(PosixFault, SmallFileSystemFillsUp) {
    const std::string folder = FaultFolder("VELMORA_SMALL_FS");
    if (folder.empty()) {
        GTEST_SKIP() << WhyNoFaultFolder("VELMORA_SMALL_FS");
    }
    struct statvfs fs {};
    if (statvfs(folder.c_str(), &fs) != 0 || fs.f_blocks * fs.f_frsize > (4u << 20)) {
        GTEST_SKIP() << folder << " is not a file system of at most 4 MiB";
    }
    const std::size_t room = static_cast<std::size_t>(fs.f_bavail) * fs.f_frsize;
    const std::string input = m_dir.Path("punkty.txt");
    // Records of about 40 bytes each: three times the free room.
    const std::string points = ManyPoints(static_cast<int>(room / 40 * 3 + 100));
    WriteBytes(input, points);
    const std::string output = folder + "/punkty.wsd";

    const GenerationResult result = Generate(Request(input, output));

    EXPECT_FALSE(result.outcome.has_value());
    EXPECT_EQ(result.cause, FileError::Cause::DiskFull);
    EXPECT_EQ(result.error, "Disk full while accessing " + output + ".");
    EXPECT_TRUE(result.feedback.messages.empty());
    const std::string written = ReadBytes(output);
    EXPECT_FALSE(written.empty());
    EXPECT_EQ(written.find("#KONIEC"), std::string::npos);
    EXPECT_EQ(ReadBytes(input), points);
    std::remove(output.c_str());
}

// ---------------------------------------------------------------------------
// An input that opens but cannot be read.

TEST_F(PosixFault, DirectoryAsInputGivesTheUnknownErrorText) {
    const std::string input = m_dir.Path("katalog");
    ASSERT_EQ(mkdir(input.c_str(), 0755), 0);
    const std::string output = m_dir.Path("punkty.wsd");

    const GenerationResult result = Generate(Request(input, output));

    EXPECT_FALSE(result.outcome.has_value());
    EXPECT_TRUE(result.fileError);
    EXPECT_EQ(result.error, "An unknown error occurred while accessing " + input + ".");
    EXPECT_TRUE(result.feedback.messages.empty());
    // The batch file was begun but never completed.
    EXPECT_EQ(ReadBytes(output).find("#KONIEC"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Files held by another process: a child takes an exclusive lock and keeps it
// until told to let go.

class CLockingChild {
public:
    explicit CLockingChild(const std::string& path) {
        int ready[2];
        int release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) {
            ADD_FAILURE() << "pipe";
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            close(ready[0]);
            close(release[1]);
            const int fd = open(path.c_str(), O_RDWR);
            const char status = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'L' : 'E';
            (void)!write(ready[1], &status, 1);
            char ignored = 0;
            (void)!read(release[0], &ignored, 1); // until the parent closes its end
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        m_release = release[1];
        char status = 0;
        m_bLocked = read(ready[0], &status, 1) == 1 && status == 'L';
        close(ready[0]);
    }
    CLockingChild(const CLockingChild&) = delete;
    CLockingChild& operator=(const CLockingChild&) = delete;
    ~CLockingChild() {
        if (m_release >= 0) {
            close(m_release);
        }
        if (m_pid > 0) {
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
    }

    bool Locked() const { return m_bLocked; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_bLocked = false;
};

TEST_F(PosixFault, OutputLockedByAnotherProcessStaysUnchanged) {
    const std::string input = m_dir.Path("punkty.txt");
    WriteBytes(input, "101 1 2\r\n");
    const std::string output = m_dir.Path("punkty.wsd");
    const std::string previous = "# Plik wsadowy z wczoraj\r\n#KONIEC\r\n";
    WriteBytes(output, previous);
    const CLockingChild child(output);
    ASSERT_TRUE(child.Locked());

    const GenerationResult result = Generate(Request(input, output));

    EXPECT_EQ(result.outcome, GenerationOutcome::OutputNotOpened);
    EXPECT_EQ(result.feedback.messages,
              std::vector<std::string>{std::string(kOpenFailed) + output});
    EXPECT_EQ(result.feedback.begun, 0);
    EXPECT_EQ(ReadBytes(output), previous);
    EXPECT_EQ(ReadBytes(input), "101 1 2\r\n");
}

TEST_F(PosixFault, InputLockedByAnotherProcessIsNotOpened) {
    const std::string input = m_dir.Path("punkty.txt");
    WriteBytes(input, "101 1 2\r\n");
    const std::string output = m_dir.Path("punkty.wsd");
    const CLockingChild child(input);
    ASSERT_TRUE(child.Locked());

    const GenerationResult result = Generate(Request(input, output));

    EXPECT_EQ(result.outcome, GenerationOutcome::InputNotOpened);
    EXPECT_EQ(result.feedback.messages, std::vector<std::string>{std::string(kOpenFailed) + input});
    EXPECT_FALSE(test::FileExists(output));
}

// ---------------------------------------------------------------------------
// A read-only output folder: a read-only mount, which refuses root too, or else a folder and
// a batch file without write permission. The batch file that is there keeps its bytes.

TEST_F(PosixFault, ReadOnlyOutputFolder) {
    std::string folder = FaultFolder("VELMORA_READONLY_DIR");
    std::string writable = FaultFolder("VELMORA_READONLY_SOURCE");
    if (folder.empty() || writable.empty()) {
        folder = writable = m_dir.Path("tylko-odczyt");
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    }
    const std::string old = "#KONIEC\r\n";
    WriteBytes(writable + "/stary.wsd", old);
    const std::string output = folder + "/stary.wsd";
    if (writable == folder) {
        ASSERT_EQ(chmod(output.c_str(), 0444), 0);
        ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
        if (access(output.c_str(), W_OK) == 0) {
            chmod(folder.c_str(), 0755);
            GTEST_SKIP() << "a read-only folder does not stop this user's writes (running as "
                            "root), and "
                         << WhyNoFaultFolder("VELMORA_READONLY_DIR");
        }
    }
    const std::string input = m_dir.Path("punkty.txt");
    WriteBytes(input, "101 1 2\r\n");

    for (const std::string& path : {output, folder + "/nowy.wsd"}) {
        const GenerationResult result = Generate(Request(input, path));

        EXPECT_EQ(result.outcome, GenerationOutcome::OutputNotOpened);
        EXPECT_EQ(result.feedback.messages,
                  std::vector<std::string>{std::string(kOpenFailed) + path});
    }
    EXPECT_EQ(ReadBytes(output), old);
    EXPECT_FALSE(test::FileExists(folder + "/nowy.wsd"));
    chmod(folder.c_str(), 0755);
    std::remove((writable + "/stary.wsd").c_str());
}

// ---------------------------------------------------------------------------
// Memory: a 50 MB line is held once, not copied over and over.

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Peak resident memory in KiB since the last reset.
std::optional<long> PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return std::nullopt;
}

bool ResetPeakResident() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

TEST_F(PosixFault, FiftyMegabyteLineKeepsMemoryBounded) {
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizer's quarantine keeps freed memory resident";
    }
    constexpr std::size_t kLineLength = 50u << 20;
    const std::string input = m_dir.Path("dluga.txt");
    {
        std::ofstream out(input, std::ios::binary);
        const std::string block(1 << 20, '7');
        for (std::size_t written = 0; written < kLineLength; written += block.size()) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    const std::optional<long> before = PeakResidentKiB();
    if (!before || !ResetPeakResident()) {
        GTEST_SKIP() << "the kernel does not let the peak resident memory be reset";
    }
    const long base = *PeakResidentKiB();

    const GenerationResult result = Generate(Request(input, m_dir.Path("dluga.wsd")));

    ASSERT_EQ(result.outcome, GenerationOutcome::Generated) << result.error;
    EXPECT_EQ(result.feedback.messages,
              std::vector<std::string>{test::GeneratedMessage(0, "1 (1)")});
    const long grown = *PeakResidentKiB() - base;
    // The line itself and one growth step of its string, not more.
    EXPECT_LT(grown, 3 * static_cast<long>(kLineLength / 1024)) << "KiB";
}

} // namespace
} // namespace velmora
