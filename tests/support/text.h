// Small helpers the suites share: a file's bytes, a text's lines, what code prints on stderr, the
// once-a-second report line, and a command line as main() gets it.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// What `body` prints on stderr.
template <typename Body>
std::string stderrOf(Body body) {
    testing::internal::CaptureStderr();
    body();
    return testing::internal::GetCapturedStderr();
}

// The frame loop's once-a-second report, "%f ms/frame"; the shell suites read the pattern from
// the same file.
inline bool isReportLine(const std::string& line) {
    static const std::regex report(lines(fileBytes(DEMO_TEST_SUPPORT "/report_line.ere")).at(0),
                                   std::regex::extended);
    return std::regex_match(line, report);
}

// `words` after the program's name, as argv with its closing null.
class CommandLine {
public:
    CommandLine(const std::string& program, const std::vector<std::string>& words) : words_(words) {
        words_.insert(words_.begin(), program);
        for (std::string& word : words_) pointers_.push_back(word.data());
        pointers_.push_back(nullptr);
    }
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;
    int argc() const { return static_cast<int>(words_.size()); }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> words_;
    std::vector<char*> pointers_;
};
