// Each read is one open, read and close, and an absent file one failed open:
// this runs once per interface, on hosts with hundreds of them.
#include "sysfs.h"

#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "../../bounded_text.h"

namespace {

// Puts "/" and `part` after the first `length` bytes; false when it does not
// fit.
bool PutPart(SysfsPath &path, size_t length, const char *part) {
    if (length + 1 >= sizeof path.text)
        return false;
    path.text[length] = '/';
    return CopyText(path.text + length + 1, sizeof path.text - length - 1, part);
}

// Adds `part` to the path's directory.
bool Extend(SysfsPath &path, const char *part) {
    const bool fits = PutPart(path, path.length, part);
    path.length += strlen(path.text + path.length);
    return fits;
}

// Where a directory record of the kernel's (linux_dirent64) keeps its length
// and its name.
constexpr size_t kRecordLengthAt = 16;
constexpr size_t kRecordNameAt = 19;

// Room for the directory records of one getdents64 call.
constexpr size_t kDirectoryBufferSize = 4096;

} // namespace

bool StartPath(SysfsPath &path, const char *root, const char *directory, const char *name) {
    const bool fits = CopyText(path.text, sizeof path.text, root);
    path.length = strlen(path.text);
    return fits && Extend(path, directory) && Extend(path, name);
}

bool EntryPath(SysfsPath &path, const char *root, const char *name) {
    // Names come from the kernel, which forbids '/'; never let one walk the tree.
    if (strchr(name, '/') != nullptr || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    return StartPath(path, root, "class/net", name);
}

const char *Directory(SysfsPath &path) {
    path.text[path.length] = '\0';
    return path.text;
}

bool InDirectory(SysfsPath &path, const char *file) {
    return PutPart(path, path.length, file);
}

bool HasEntry(SysfsPath &path, const char *file) {
    return InDirectory(path, file) && access(path.text, F_OK) == 0;
}

bool ReadText(const char *path, char *text, size_t size) {
    // openat: musl's open() follows O_CLOEXEC with an fcntl for old kernels.
    const int fd = openat(AT_FDCWD, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ssize_t length;
    do
        length = read(fd, text, size - 1);
    while (length < 0 && errno == EINTR);
    const int error = errno;
    close(fd);
    if (length < 0) {
        errno = error;
        return false;
    }
    text[length] = '\0';
    return true;
}

bool ReadValue(const char *path, char (&value)[kValueSize]) {
    if (!ReadText(path, value, sizeof value))
        return false;
    value[strcspn(value, "\n")] = '\0';
    return true;
}

bool ReadNumber(const char *path, unsigned long &number) {
    char value[kValueSize];
    if (!ReadValue(path, value))
        return false;
    char *end = nullptr;
    errno = 0;
    number = strtoul(value, &end, 10);
    if (value[0] < '0' || value[0] > '9' || *end != '\0' || errno != 0) {
        errno = EINVAL;
        return false;
    }
    return true;
}

bool ReadLink(const char *path, char (&target)[kSysfsPathSize]) {
    const ssize_t length = readlink(path, target, sizeof target);
    const bool usable =
        length > 0 && static_cast<size_t>(length) < sizeof target && target[0] != '/';
    target[usable ? length : 0] = '\0';
    return length >= 0 || errno == EINVAL; // EINVAL: there, but no link
}

bool FollowLink(char (&path)[kSysfsPathSize], const char *target) {
    size_t used = strlen(path);
    for (; strncmp(target, "../", 3) == 0; target += 3) {
        if (used == 0)
            return false;
        const auto *slash = static_cast<const char *>(memrchr(path, '/', used));
        used = slash != nullptr ? static_cast<size_t>(slash - path) : 0;
    }
    path[used] = '\0';
    if (target[0] == '.' || strstr(target, "/.") != nullptr)
        return false;
    return used == 0 ? CopyText(path, sizeof path, target)
                     : CopyText(path + used, sizeof path - used, "/") &&
                           AppendText(path + used, sizeof path - used, target);
}

bool ListDirectory(const char *path, void (*take)(void *context, const char *name), void *context) {
    // getdents64 itself: opendir() would take its buffer from the heap.
    const int fd = openat(AT_FDCWD, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    alignas(uint64_t) char records[kDirectoryBufferSize];
    long length;
    while ((length = syscall(SYS_getdents64, fd, records, sizeof records)) > 0) {
        for (long offset = 0; offset < length;) {
            uint16_t record_length;
            memcpy(&record_length, records + offset + kRecordLengthAt, sizeof record_length);
            const char *name = records + offset + kRecordNameAt;
            if (strcmp(name, ".") != 0 && strcmp(name, "..") != 0)
                take(context, name);
            offset += record_length;
        }
    }
    close(fd);
    return length == 0;
}

void UeventValue(const char *uevent, const char *key, char (&value)[kValueSize]) {
    const size_t key_length = strlen(key);
    for (const char *line = uevent; *line != '\0';) {
        const char *end = strchrnul(line, '\n');
        if (strncmp(line, key, key_length) == 0 && line[key_length] == '=') {
            const char *start = line + key_length + 1;
            CopyText(value, sizeof value, start, static_cast<size_t>(end - start));
            return;
        }
        line = *end == '\0' ? end : end + 1;
    }
    value[0] = '\0';
}
