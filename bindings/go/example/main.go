// Prints the primary wired Ethernet adapter's MAC address as primary-mac does.
package main

import (
	"fmt"
	"os"

	"primarymac/v4"
)

func main() {
	mac, err := primarymac.Get()
	if err != nil {
		fmt.Fprintln(os.Stderr, "primary-mac:", err)
		os.Exit(1)
	}
	fmt.Print(mac) // empty when no adapter qualifies
}
