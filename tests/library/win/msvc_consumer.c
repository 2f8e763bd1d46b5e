/* Prints what primary-mac prints, as a program that MSVC links with
 * primary-mac.lib would. No C runtime of MSVC's is at hand, so it has an
 * entry point of its own and writes with kernel32 alone. With the argument
 * --version it prints the library's version instead. */
#include <primary-mac.h>

/* kernel32's calls, declared here: neither is the Windows SDK at hand. */
#define STD_OUTPUT_HANDLE ((unsigned long)-11)
#define STD_ERROR_HANDLE ((unsigned long)-12)
__declspec(dllimport) void *__stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void *file, const void *data, unsigned long size,
                                              unsigned long *written, void *overlapped);
__declspec(dllimport) const char *__stdcall GetCommandLineA(void);
__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned int status);

static size_t text_length(const char *text) {
    size_t length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

static int write_text(unsigned long which, const char *text) {
    const unsigned long size = (unsigned long)text_length(text);
    unsigned long written = 0;
    return WriteFile(GetStdHandle(which), text, size, &written, 0) && written == size;
}

/* Whether the command line ends in the argument --version. */
static int asks_version(const char *line) {
    static const char argument[] = " --version";
    const size_t argument_length = sizeof argument - 1;
    const size_t length = text_length(line);
    if (length < argument_length)
        return 0;
    for (size_t i = 0; i < argument_length; ++i)
        if (line[length - argument_length + i] != argument[i])
            return 0;
    return 1;
}

void start(void) {
    if (asks_version(GetCommandLineA()))
        ExitProcess(write_text(STD_OUTPUT_HANDLE, primary_mac_version()) ? 0 : 1);
    char mac[PRIMARY_MAC_TEXT_SIZE];
    char failure[PRIMARY_MAC_FAILURE_SIZE];
    if (primary_mac_get(mac, sizeof mac, failure, sizeof failure) == PRIMARY_MAC_FAILED) {
        write_text(STD_ERROR_HANDLE, "primary-mac: ");
        write_text(STD_ERROR_HANDLE, failure);
        write_text(STD_ERROR_HANDLE, "\r\n");
        ExitProcess(1);
    }
    ExitProcess(write_text(STD_OUTPUT_HANDLE, mac) ? 0 : 1); /* empty when no adapter qualifies */
}
