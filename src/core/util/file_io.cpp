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

namespace {

/// A free name beside path for a temporary file ("." + name + "." + random + suffix).
std::filesystem::path besidePath(const std::filesystem::path& path, std::string_view suffix) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    static thread_local std::mt19937_64 random{std::random_device{}()};
    return folder /
           ("." + path.filename().string() + "." + hexUpper(random(), 16) + std::string(suffix));
}

/// Writes bytes to a new temporary file beside path and flushes it to disk; returns its path.
/// On failure nothing is left behind and model::FileError naming path is thrown.
std::filesystem::path writeTemporary(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path temp = besidePath(path, ".tmp");
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
    return temp;
}

} // namespace

void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path temp = writeTemporary(path, bytes);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw model::FileError(displayPath(path), std::strerror(err));
    }
}

void writeFilesAtomic(const std::vector<FileContent>& files) {
    std::vector<std::filesystem::path> temps;
    try {
        for (const FileContent& f : files) {
            temps.push_back(writeTemporary(f.path, f.bytes));
        }
    } catch (...) {
        for (const auto& t : temps) {
            ::unlink(t.c_str());
        }
        throw;
    }
    // A hard link keeps each old file until the whole set is in place.
    std::vector<std::filesystem::path> backups(files.size());
    std::vector<bool> existed(files.size(), true);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::filesystem::path backup = besidePath(files[i].path, ".bak");
        if (::link(files[i].path.c_str(), backup.c_str()) == 0) {
            backups[i] = backup;
        } else if (errno == ENOENT) {
            existed[i] = false;
        }
        if (::rename(temps[i].c_str(), files[i].path.c_str()) != 0) {
            const int err = errno;
            for (std::size_t k = i; k < files.size(); ++k) {
                ::unlink(temps[k].c_str());
            }
            if (!backups[i].empty()) {
                ::unlink(backups[i].c_str());
            }
            for (std::size_t k = i; k-- > 0;) {
                if (!backups[k].empty()) {
                    ::rename(backups[k].c_str(), files[k].path.c_str());
                } else if (!existed[k]) {
                    ::unlink(files[k].path.c_str());
                }
            }
            throw model::FileError(displayPath(files[i].path), std::strerror(err));
        }
    }
    for (const auto& b : backups) {
        if (!b.empty()) {
            ::unlink(b.c_str());
        }
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
