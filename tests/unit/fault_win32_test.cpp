// Files held without sharing by someone else, on Windows: by another handle
// of this process and by another process (this test program started again,
// running only the helper below).

#include "generation.h"

#include "fault_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace velmora {
namespace {

using namespace test;

constexpr const char* kHoldFileVariable = "VELMORA_HOLD_FILE";
constexpr const char* kHoldTagVariable = "VELMORA_HOLD_TAG";

// A handle that shares nothing, closed when it goes.
class CExclusiveHandle {
public:
    explicit CExclusiveHandle(const std::string& path)
        : m_handle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    CExclusiveHandle(const CExclusiveHandle&) = delete;
    CExclusiveHandle& operator=(const CExclusiveHandle&) = delete;
    ~CExclusiveHandle() {
        if (Held()) {
            CloseHandle(m_handle);
        }
    }
    bool Held() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

// Starts this test program again to hold a file without sharing until the
// holder is destroyed. The two processes meet on two named events.
class CHoldingProcess {
public:
    explicit CHoldingProcess(const std::string& path) {
        const std::string tag = "VelmoraHold" + std::to_string(GetCurrentProcessId());
        m_ready = CreateEventA(nullptr, TRUE, FALSE, (tag + "Ready").c_str());
        m_release = CreateEventA(nullptr, TRUE, FALSE, (tag + "Release").c_str());
        char program[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, program, MAX_PATH);
        std::string commandLine = std::string("\"") + program +
                                  "\" --gtest_filter=FileHolder.DISABLED_HoldFileForParent"
                                  " --gtest_also_run_disabled_tests";
        SetEnvironmentVariableA(kHoldFileVariable, path.c_str());
        SetEnvironmentVariableA(kHoldTagVariable, tag.c_str());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                            nullptr, nullptr, &startup, &process);
        SetEnvironmentVariableA(kHoldFileVariable, nullptr);
        SetEnvironmentVariableA(kHoldTagVariable, nullptr);
        if (!started) {
            return;
        }
        CloseHandle(process.hThread);
        m_process = process.hProcess;
        const HANDLE either[] = {m_ready, m_process};
        m_bHolding = WaitForMultipleObjects(2, either, FALSE, 60000) == WAIT_OBJECT_0;
    }
    CHoldingProcess(const CHoldingProcess&) = delete;
    CHoldingProcess& operator=(const CHoldingProcess&) = delete;
    ~CHoldingProcess() {
        SetEvent(m_release);
        if (m_process != nullptr) {
            WaitForSingleObject(m_process, 60000);
            CloseHandle(m_process);
        }
        CloseHandle(m_ready);
        CloseHandle(m_release);
    }
    bool Holding() const { return m_bHolding; }

private:
    HANDLE m_ready = nullptr;
    HANDLE m_release = nullptr;
    HANDLE m_process = nullptr;
    bool m_bHolding = false;
};

// Runs only in the process CHoldingProcess starts.
TEST(FileHolder, DISABLED_HoldFileForParent) {
    const char* const path = std::getenv(kHoldFileVariable);
    const char* const tag = std::getenv(kHoldTagVariable);
    if (path == nullptr || tag == nullptr) {
        GTEST_SKIP() << "started without a file to hold";
    }
    const CExclusiveHandle handle(path);
    ASSERT_TRUE(handle.Held());
    const HANDLE ready =
        OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(tag) + "Ready").c_str());
    const HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, (std::string(tag) + "Release").c_str());
    ASSERT_NE(ready, nullptr);
    ASSERT_NE(release, nullptr);
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseHandle(ready);
    CloseHandle(release);
}

enum class Holder { ThisProcess, OtherProcess };

struct HeldCase {
    const char* name;
    Holder holder;
    bool heldIsOutput;
};

class HeldFile : public FaultTest, public ::testing::WithParamInterface<HeldCase> {};

TEST_P(HeldFile, IsNotOpenedAndKeepsItsBytes) {
    const HeldCase& row = GetParam();
    const std::string input = m_dir.Path("punkty.txt");
    const std::string output = m_dir.Path("punkty.wsd");
    const std::string points = "101 1 2\r\n";
    const std::string previous = "# Plik wsadowy z wczoraj\r\n#KONIEC\r\n";
    WriteBytes(input, points);
    if (row.heldIsOutput) {
        WriteBytes(output, previous);
    }
    const std::string& held = row.heldIsOutput ? output : input;

    std::optional<CExclusiveHandle> handle;
    std::optional<CHoldingProcess> process;
    if (row.holder == Holder::ThisProcess) {
        handle.emplace(held);
        ASSERT_TRUE(handle->Held());
    } else {
        process.emplace(held);
        ASSERT_TRUE(process->Holding());
    }

    const GenerationResult result = Generate(Request(input, output));

    EXPECT_EQ(result.outcome, row.heldIsOutput ? GenerationOutcome::OutputNotOpened
                                               : GenerationOutcome::InputNotOpened)
        << result.error;
    EXPECT_EQ(result.feedback.messages, std::vector<std::string>{std::string(kOpenFailed) + held});
    EXPECT_EQ(result.feedback.begun, 0);
    handle.reset();
    process.reset();
    EXPECT_EQ(ReadBytes(input), points);
    if (row.heldIsOutput) {
        EXPECT_EQ(ReadBytes(output), previous);
    } else {
        EXPECT_FALSE(test::FileExists(output));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sharing, HeldFile,
    ::testing::Values(HeldCase{"OutputHeldByThisProcess", Holder::ThisProcess, true},
                      HeldCase{"InputHeldByThisProcess", Holder::ThisProcess, false},
                      HeldCase{"OutputHeldByAnotherProcess", Holder::OtherProcess, true},
                      HeldCase{"InputHeldByAnotherProcess", Holder::OtherProcess, false}),
    RowName);

} // namespace
} // namespace velmora
