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
    size_t used = strlen(text);
    bool complete = true;
    for (size_t i = 0; i < limit && tail[i] != '\0'; ++i) {
        if (used + 1 >= size) {
            complete = false;
            break;
        }
        text[used++] = tail[i];
    }
    text[used] = '\0';
    return complete;
}

// Replaces the text in `text` (capacity `size`) with `source`, as above.
inline bool CopyText(char *text, size_t size, const char *source, size_t limit = SIZE_MAX) {
    text[0] = '\0';
    return AppendText(text, size, source, limit);
}
