#include "core/util/file_io.h"

#include "core/model/errors.h"
#include "core/util/text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace busmason::util {

std::string displayPath(const std::filesystem::path& path) {
    const auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

std::string readFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw model::FileError(displayPath(path), std::strerror(errno));
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int err = errno;
            ::close(fd);
            throw model::FileError(displayPath(path), std::strerror(err));
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const std::filesystem::path temp =
        folder / ("." + path.filename().string() + "." + hexUpper(random(), 16) + ".tmp");
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw model::FileError(displayPath(path), std::strerror(errno));
    }
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw model::FileError(displayPath(path), std::strerror(err));
    };
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        fail(errno);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw model::FileError(displayPath(path), std::strerror(err));
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw model::FileError(displayPath(path), std::strerror(err));
    }
}

std::vector<std::string> listFilesWithExtension(const std::filesystem::path& folder,
                                                std::string_view ext) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) {
        return names;
    }
    for (const auto& entry : it) {
        std::error_code typeEc;
        if (!entry.is_regular_file(typeEc)) {
            continue;
        }
        std::string name = entry.path().filename().string();
        if (name.size() > ext.size() && iendsWith(name, ext)) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

} // namespace busmason::util
