#pragma once
// File-system helpers for the archiver tests: a scratch folder per test, whole-file reads and
// writes, and a listing of a tree.
#include "archive/os.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace archivetest {

namespace fs = std::filesystem;

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Every file and folder under `root`, relative, with "/" and a trailing "/" on folders.
inline std::set<std::string> Tree(const std::string& root) {
    std::set<std::string> out;
    if (!fs::exists(root)) return out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::string rel = fs::relative(e.path(), root).generic_string();
        if (e.is_directory()) rel += '/';
        out.insert(rel);
    }
    return out;
}

// A fresh folder for one test, removed afterwards; paths end in a separator. Named after the test and
// this process: the same test may run at the same time in another build or checkout.
class Scratch {
public:
    Scratch() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const fs::path base = fs::temp_directory_path() / "qv-archive-tests";
        static int made = 0;
#ifdef _WIN32
        const unsigned long process = GetCurrentProcessId();
#else
        const unsigned long process = static_cast<unsigned long>(getpid());
#endif
        root_ = base / (std::string(info->test_suite_name()) + "." + info->name() + "." + std::to_string(process) +
                        "." + std::to_string(++made));
        std::error_code ec;
        fs::remove_all(root_, ec);
        fs::create_directories(root_);
    }
    ~Scratch() {
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(root_, ec))
            archive::os::SetAttributes(e.path().string(), 0);
        fs::remove_all(root_, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // The folder (with a trailing separator) or a path inside it.
    std::string Path(const std::string& rel = std::string()) const {
        std::string p = root_.string();
        p += static_cast<char>(fs::path::preferred_separator);
        for (char c : rel) p += (c == '/') ? static_cast<char>(fs::path::preferred_separator) : c;
        return p;
    }

private:
    fs::path root_;
};

}  // namespace archivetest
