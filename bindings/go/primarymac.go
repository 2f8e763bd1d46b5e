// Package primarymac gives the MAC address of the machine's primary wired
// Ethernet adapter, byte for byte what the primary-mac program prints, from
// the primary-mac C library.
package primarymac

// #cgo pkg-config: primary-mac
// #include <primary-mac.h>
import "C"

// Error is a failed query: there is no answer, which is not "no adapter" (the
// machine may well have one).
type Error struct {
	Cause string // the library's text, such as "cannot list network adapters: ..."
}

func (e *Error) Error() string { return e.Cause }

// Get scans the machine's network adapters and returns the address, such as
// "00-1A-2B-3C-4D-5E"; "" and a nil error when no adapter qualifies (the
// program prints nothing); or an *Error when the query failed. It is safe for
// concurrent use.
func Get() (string, error) {
	var mac [C.PRIMARY_MAC_TEXT_SIZE]C.char
	var failure [C.PRIMARY_MAC_FAILURE_SIZE]C.char
	switch C.primary_mac_get(&mac[0], C.size_t(len(mac)), &failure[0], C.size_t(len(failure))) {
	case C.PRIMARY_MAC_FOUND:
		return C.GoString(&mac[0]), nil
	case C.PRIMARY_MAC_NO_ADAPTER:
		return "", nil
	default: // PRIMARY_MAC_FAILED
		return "", &Error{Cause: C.GoString(&failure[0])}
	}
}

// Version returns the C library's version, such as "4.0.0".
func Version() string {
	return C.GoString(C.primary_mac_version())
}
