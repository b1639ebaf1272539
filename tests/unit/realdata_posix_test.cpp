// Real point lists written by others (kept outside the repository, beside
// it in shared/realdata): each converted with the layout and separator a
// surveyor would choose. Header rows, comments, words and coordinates in
// degrees, minutes and seconds give no points; quoted fields lose their
// quotes; the message tells what was written and which lines were skipped.

#include "generation.h"
#include "generation_support.h"
#include "writer_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velmora {
namespace {

using namespace test;

struct RealFile {
    const char* name;
    int layout;
    int separator; // 0 ";", 1 ",", 2 tab, 3 space, 4 "|"
    int written;
    const char* skipped; // after "Wiersze pominięte: ", empty when none
    int headerLine;      // a header row that must be among the skipped, 0: none
    int pointsAtZero;    // records at X 0, Y 0 that the file really holds
};

const RealFile kFiles[] = {
    {"bezitopo_topo0.asc", 11, 1, 1311, "", 0, 0},
    {"imrt100_fastmerker.csv", 11, 1, 31, "1 (1)", 1, 0},
    {"imrt100_HP01.csv", 8, 1, 15, "", 0, 0},
    {"imrt100_data.csv", 7, 1, 84, "1 (1)", 1, 0},
    {"natprz_wsp_inp.txt", 8, 1, 12, "4 (1, 2, 3, 4)", 3, 0},
    {"4r7vr_wsp_inp.txt", 8, 3, 12, "", 0, 0},
    {"aagataaj_wsp_out.txt", 8, 4, 40, "18 (1, 2, 3, 4, 5, 14, 15, 16, 25, 26, ...)", 5, 0},
    {"michalisnot_Result_bl2xy2000.txt", 7, 1, 1, "1 (1)", 1, 0},
    {"pawjasinski_punkty_first500.txt", 2, 2, 500, "", 0, 0},
    {"mateoxc_punkty.txt", 11, 2, 158, "", 0, 1},
    {"sevil37_punkty_wysokosciowe.txt", 8, 2, 65, "", 0, 0},
    {"qgis_testdp.csv", 12, 0, 2, "1 (1)", 1, 0},
    {"qgis_testpt.csv", 12, 1, 3, "2 (1, 4)", 1, 0},
    {"qgis_testextpt.txt", 12, 4, 9, "1 (1)", 1, 0},
    {"qgis_testdms.csv", 12, 1, 0, "25 (1, 3, 4, 5, 7, 8, 9, 10, 11, 12, ...)", 1, 0},
    {"Nowosad_siatka_wolin_lato150_first500.csv", 2, 1, 499, "1 (1)", 1, 1},
};

class RealData : public ::testing::TestWithParam<RealFile> {};

TEST_P(RealData, ConvertsWithoutInventedPoints) {
    const std::filesystem::path folder = VELMORA_REALDATA_DIR;
    if (!std::filesystem::is_directory(folder)) {
        GTEST_SKIP() << folder << " is absent (it lies beside the repository, not in it)";
    }
    const RealFile& file = GetParam();
    const std::string input = (folder / file.name).string();
    const std::string before = ReadBytes(input);
    const CProgramList list("ABC,Punkt\r\n");
    const CTempDir dir;
    const GenerationRequest request =
        Request(input, dir.Path("wynik.wsd"), file.layout, file.separator);
    CRecordingFeedback feedback(request.outputPath);
    ASSERT_EQ(RunGeneration(request, feedback), GenerationOutcome::Generated);

    const std::vector<std::string> records = RecordsOf(ReadBytes(request.outputPath));
    EXPECT_EQ(feedback.events, test::SuccessEvents(GeneratedMessage(file.written, file.skipped)));
    EXPECT_EQ(records.size(), static_cast<std::size_t>(file.written));
    int atZero = 0;
    for (const std::string& record : records) {
        atZero += record.find(";0.000000;0.000000") != std::string::npos ? 1 : 0;
        EXPECT_EQ(record.find('"'), std::string::npos) << "a quote kept: " << record;
    }
    EXPECT_EQ(atZero, file.pointsAtZero);
    if (file.headerLine != 0) {
        // The listed line numbers, as ",1,2,3,".
        std::string listed = file.skipped;
        listed = "," + listed.substr(listed.find('(') + 1);
        std::erase(listed, ' ');
        listed.back() = ',';
        EXPECT_NE(listed.find("," + std::to_string(file.headerLine) + ","), std::string::npos)
            << "header line " << file.headerLine << " is not among the skipped";
    }
    EXPECT_EQ(ReadBytes(input), before);
}

INSTANTIATE_TEST_SUITE_P(Files, RealData, ::testing::ValuesIn(kFiles),
                         [](const ::testing::TestParamInfo<RealFile>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

} // namespace
} // namespace velmora
