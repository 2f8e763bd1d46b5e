// Prints the primary wired Ethernet adapter's MAC address as primary-mac does.
#include <primary-mac.h>

#include <iostream>

int main() {
    char mac[PRIMARY_MAC_TEXT_SIZE];
    char failure[PRIMARY_MAC_FAILURE_SIZE];
    switch (primary_mac_get(mac, sizeof mac, failure, sizeof failure)) {
    case PRIMARY_MAC_FOUND:
        std::cout << mac;
        return 0;
    case PRIMARY_MAC_NO_ADAPTER: // no wired Ethernet adapter: nothing to print
        return 0;
    default: // PRIMARY_MAC_FAILED: no answer at all
        std::cerr << "primary-mac: " << failure << '\n';
        return 1;
    }
}
