/* Prints the primary wired Ethernet adapter's MAC address as primary-mac does. */
#include <primary-mac.h>
#include <stdio.h>

int main(void) {
    char mac[PRIMARY_MAC_TEXT_SIZE];
    char failure[PRIMARY_MAC_FAILURE_SIZE];
    if (primary_mac_get(mac, sizeof mac, failure, sizeof failure) == PRIMARY_MAC_FAILED) {
        fprintf(stderr, "primary-mac: %s\n", failure);
        return 1;
    }
    printf("%s", mac); /* empty when no adapter qualifies */
    return 0;
}
