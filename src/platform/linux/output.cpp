// Standard output on Linux.
#include "../output.h"

#include <string.h>

const char *WriteFailureText(int error) {
    return strerror(error);
}
