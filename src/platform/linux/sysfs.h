// Reading sysfs: paths built under a sysfs root ("/sys", or a tree laid out
// like it), small files, links and directories. What the values mean is for
// the callers.
#pragma once

#include <stddef.h>

// Room for any path built under the sysfs root.
constexpr size_t kSysfsPathSize = 512;

// Room for one attribute's value: a number, a word, an address.
constexpr size_t kValueSize = 128;

// Room for a uevent file's text.
constexpr size_t kUeventSize = 1024;

// A path under the sysfs root, built a part at a time: a directory, then in
// turn the files in it. Each part is copied once: an interface has many
// entries to read, on hosts with hundreds of interfaces.
struct SysfsPath {
    char text[kSysfsPathSize];
    size_t length; // the directory's
};

// Makes `path` the directory ROOT/DIRECTORY/NAME; false when it does not fit.
bool StartPath(SysfsPath &path, const char *root, const char *directory, const char *name);

// Makes `path` the interface's entry, ROOT/class/net/NAME; false for a name
// that would walk the tree.
bool EntryPath(SysfsPath &path, const char *root, const char *name);

// Makes `path` the directory's own path again.
const char *Directory(SysfsPath &path);

// Makes `path` the path of `file` in the directory; false when it does not fit.
bool InDirectory(SysfsPath &path, const char *file);

// Whether the directory holds `file`.
bool HasEntry(SysfsPath &path, const char *file);

// Reads a small file into `text`, terminated; false when it cannot be read,
// with errno saying why.
bool ReadText(const char *path, char *text, size_t size);

// Reads a file of one value: its first line, without the line end.
bool ReadValue(const char *path, char (&value)[kValueSize]);

// Reads a file of one unsigned decimal number; false with errno EINVAL when
// it holds something else.
bool ReadNumber(const char *path, unsigned long &number);

// Reads the link `path` into `target`, left empty when it is no relative
// link that fits. False when there is nothing at `path`.
bool ReadLink(const char *path, char (&target)[kSysfsPathSize]);

// Follows the relative link `target` from the directory `path` (relative to
// the sysfs root) by its text, as the kernel would for a sysfs link: it climbs
// with "../" and then names real directories. False for any other link, one
// that leaves the root, or a path that does not fit.
bool FollowLink(char (&path)[kSysfsPathSize], const char *target);

// Calls `take` with the name of each entry of the directory `path` but "."
// and ".."; false when the directory cannot be read.
bool ListDirectory(const char *path, void (*take)(void *context, const char *name), void *context);

// Copies the value of `key` from uevent text ("KEY=value" lines) into
// `value`; empty when the key is absent.
void UeventValue(const char *uevent, const char *key, char (&value)[kValueSize]);
