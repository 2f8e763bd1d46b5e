// Bounded text building: every copy into a fixed buffer goes through here,
// given the destination's capacity, so nothing is ever written past it.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string.h>

// Appends `tail` to the NUL-terminated text in `text` (capacity `size`),
// reading no more than `limit` bytes of `tail` even when they hold no NUL.
// The text stays terminated; returns false when it had to be cut short.
inline bool AppendText(char *text, size_t size, const char *tail, size_t limit = SIZE_MAX) {
    const size_t used = strlen(text);
    const char *end = limit == SIZE_MAX ? tail + strlen(tail)
                                        : static_cast<const char *>(memchr(tail, '\0', limit));
    const size_t length = end != nullptr ? static_cast<size_t>(end - tail) : limit;
    const size_t room = size - 1 - used;
    const size_t copied = length < room ? length : room;
    memcpy(text + used, tail, copied);
    text[used + copied] = '\0';
    return copied == length;
}

// Replaces the text in `text` (capacity `size`) with `source`, as above.
inline bool CopyText(char *text, size_t size, const char *source, size_t limit = SIZE_MAX) {
    text[0] = '\0';
    return AppendText(text, size, source, limit);
}
