/* A library of the name of primary-mac's that is not the one a package
 * carries: put on the loader's path while a package that carries its own is
 * tested, it says in every answer that it was the one loaded. */
#include <primary-mac.h>
#include <stdio.h>

int primary_mac_get(char *mac, size_t mac_size, char *failure, size_t failure_size) {
    if (mac != NULL && mac_size > 0)
        mac[0] = '\0';
    if (failure != NULL && failure_size > 0)
        snprintf(failure, failure_size, "the decoy library on the loader's path was loaded");
    return PRIMARY_MAC_FAILED;
}

const char *primary_mac_version(void) {
    return "decoy";
}
