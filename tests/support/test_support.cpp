#include "support/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace busmason::test {

TempDir::TempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("busmason-test-" + std::to_string(rd()) + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path testData(std::string_view relative) {
    return std::filesystem::path(BUSMASON_TEST_DATA) / relative;
}

std::filesystem::path sourceDir(std::string_view relative) {
    return std::filesystem::path(BUSMASON_SOURCE_DIR) / relative;
}

std::filesystem::path installData(std::string_view relative) {
    return std::filesystem::path(BUSMASON_INSTALL_DATA) / relative;
}

std::filesystem::path edsCorpus() {
    const auto dir = std::filesystem::path(BUSMASON_SHARED_DIR) / "eds-corpus";
    std::error_code ec;
    return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

std::string firstDifference(std::string_view expected, std::string_view actual) {
    if (expected == actual) {
        return {};
    }
    std::size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) {
        ++i;
    }
    auto hex = [](std::string_view s, std::size_t from) {
        std::ostringstream out;
        for (std::size_t k = from; k < s.size() && k < from + 16; ++k) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%02X ", static_cast<unsigned char>(s[k]));
            out << buf;
        }
        return out.str();
    };
    std::ostringstream out;
    out << "first difference at offset " << i << " (expected " << expected.size() << " bytes, got "
        << actual.size() << ")\n  expected: " << hex(expected, i)
        << "\n  actual:   " << hex(actual, i);
    return out.str();
}

} // namespace busmason::test
