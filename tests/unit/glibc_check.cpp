// Puts the questions of a transcript that the Windows build's differential
// tests wrote (see glibc_reference.h) to glibc and compares the answers.
// Fails on any difference, and on a transcript that lacks a kind of question
// or its "END" line.
//   glibc_check TRANSCRIPT

#include "glibc_reference.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using velmora::glibc::Describe;

std::string FromHex(const std::string& field) {
    std::string bytes;
    for (std::size_t i = 1; i + 1 < field.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(field.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

double FromBits(const std::string& field) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(std::stoull(field, nullptr, 16)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: glibc_check TRANSCRIPT\n";
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::map<char, long> questions;
    long differences = 0;
    bool ended = false;
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string field; fields >> field;) {
            f.push_back(field);
        }
        std::optional<std::string> expected;
        std::string question;
        std::string ours;
        if (line == "END") {
            ended = true;
            continue;
        }
        if (line[0] == 'F' && f.size() == 4) {
            const double value = FromBits(f[1]);
            ours = f[3];
            question = "FormatFixed(" + Describe(value) + ", " + f[2] + ")";
            expected = velmora::glibc::CheckFormat(value, std::stoi(f[2]), ours);
        } else if (line[0] == 'P' && f.size() == 3) {
            const std::string token = FromHex(f[1]);
            ours = Describe(FromBits(f[2]));
            question = "ParseNumber(\"" + token + "\")";
            expected = velmora::glibc::CheckParse(token, FromBits(f[2]));
        } else if (line[0] == 'R' && f.size() == 5) {
            const std::string x = FromHex(f[1]);
            const std::string y = FromHex(f[2]);
            const std::string h = FromHex(f[3]);
            ours = f[4] == "-" ? "" : f[4];
            question = "record of \"P " + x + " " + y + " " + h + "\"";
            expected = velmora::glibc::CheckRecord(x, y, h, ours);
        } else {
            std::cerr << "malformed transcript line: " << line.substr(0, 200) << "\n";
            return 1;
        }
        ++questions[line[0]];
        if (expected && ++differences <= 20) {
            std::cerr << question << " gives \"" << ours << "\", glibc \"" << *expected << "\"\n";
        }
    }
    std::cout << "glibc answered " << questions['F'] << " format, " << questions['P']
              << " parse and " << questions['R'] << " record questions; " << differences
              << " answers differ\n";
    if (!ended || questions['F'] == 0 || questions['P'] == 0 || questions['R'] == 0) {
        std::cerr << "the transcript is incomplete\n";
        return 1;
    }
    return differences == 0 ? 0 : 1;
}
